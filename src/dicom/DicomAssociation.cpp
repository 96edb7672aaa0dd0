#include "dicom/DicomAssociation.h"
#include "dicom/CancellableTransport.h"
#include "dicom/DicomLog.h"

#include <chrono>
#include <cstring>

#include "dcmtk/config/osconfig.h"

#include "dcmtk/dcmdata/dcdatset.h"
#include "dcmtk/dcmdata/dcuid.h"
#include "dcmtk/dcmnet/assoc.h"
#include "dcmtk/dcmnet/dcmtrans.h"
#include "dcmtk/dcmnet/dimse.h"
#include "dcmtk/dcmnet/dul.h"

namespace {

// The reject reason of an A-ASSOCIATE-RJ in the program's words (DCMTK's
// ASC_printRejectParameters says "Called AE Title Not Recognized" among the
// result and the source; the lines we print say it in lower case, British).
const char* rejectReason(T_ASC_RejectParametersReason reason)
{
    switch (reason) {
    case ASC_REASON_SU_NOREASON:
    case ASC_REASON_SP_ACSE_NOREASON:
        return "no reason given";
    case ASC_REASON_SU_APPCONTEXTNAMENOTSUPPORTED:
        return "application context not supported";
    case ASC_REASON_SU_CALLINGAETITLENOTRECOGNIZED:
        return "calling AE title not recognised";
    case ASC_REASON_SU_CALLEDAETITLENOTRECOGNIZED:
        return "called AE title not recognised";
    case ASC_REASON_SP_ACSE_PROTOCOLVERSIONNOTSUPPORTED:
        return "protocol version not supported";
    case ASC_REASON_SP_PRES_TEMPORARYCONGESTION:
        return "temporary congestion";
    case ASC_REASON_SP_PRES_LOCALLIMITEXCEEDED:
        return "local limit exceeded";
    }
    return "unknown reason";
}

// The system's part of a DCMTK condition text: "TCP Initialization Error:
// Connection refused" gives "Connection refused".
std::string systemReason(const OFCondition& condition)
{
    const std::string text = condition.text();
    const std::size_t colon = text.rfind(": ");
    return colon == std::string::npos ? text : text.substr(colon + 2);
}

} // namespace

// --- Association ------------------------------------------------------------------

DicomAssociation::DicomAssociation(const DicomPeer& peer, DicomCancel& cancel) : m_peer(peer), m_cancel(cancel)
{
    applyDicomLogLevel();
}

DicomAssociation::~DicomAssociation()
{
    if (m_association) {
        // An open association is aborted; one that never opened only has
        // its connection closed.
        if (m_established)
            ASC_abortAssociation(m_association);
        else
            ASC_dropAssociation(m_association);
        ASC_destroyAssociation(&m_association);
    }
    if (m_network)
        ASC_dropNetwork(&m_network);
}

namespace {

// The outcome of a failed step, from DCMTK's condition.
DicomStep stepFrom(const OFCondition& condition, const DicomPeer& peer, const DicomCancel& cancel)
{
    if (cancel.cancelled())
        return {DicomOutcome::Cancelled, "cancelled"};
    if (condition == DUL_READTIMEOUT || condition == DIMSE_NODATAAVAILABLE)
        return {DicomOutcome::TimedOut, "no answer within " + std::to_string(peer.timeoutSeconds) + " s"};
    if (condition == DUL_PEERABORTEDASSOCIATION)
        return {DicomOutcome::Aborted, "the server aborted the association"};
    if (condition == DUL_NETWORKCLOSED || condition == DUL_PEERREQUESTEDRELEASE)
        return {DicomOutcome::Aborted, "the server closed the connection"};
    return {DicomOutcome::Failed, condition.text()};
}

} // namespace

DicomStep DicomAssociation::open(const std::string& calledAETitle, const char* abstractSyntax)
{
    if (m_cancel.cancelled())
        return {DicomOutcome::Cancelled, "cancelled"};
    const int timeout = m_peer.timeoutSeconds;
    // The toolkit keeps these bounds in globals; every association sets them.
    dcmConnectionTimeout.set(timeout);
    dcmSocketSendTimeout.set(timeout);
    dcmSocketReceiveTimeout.set(timeout);
    OFCondition condition = ASC_initializeNetwork(NET_REQUESTOR, 0, timeout, &m_network);
    if (condition.bad())
        return {DicomOutcome::Failed, condition.text()};
    condition = ASC_setTransportLayer(m_network, newCancellableTransportLayer(m_cancel), 1);
    if (condition.bad())
        return {DicomOutcome::Failed, condition.text()};

    T_ASC_Parameters* parameters = nullptr;
    condition = ASC_createAssociationParameters(&parameters, ASC_DEFAULTMAXPDU);
    if (condition.bad())
        return {DicomOutcome::Failed, condition.text()};
    ASC_setAPTitles(parameters, DicomPeer::kCallingAETitle, calledAETitle.c_str(), nullptr);
    ASC_setPresentationAddresses(parameters, "localhost", m_peer.address().c_str());
    const char* transferSyntaxes[] = {UID_LittleEndianExplicitTransferSyntax, UID_LittleEndianImplicitTransferSyntax};
    ASC_addPresentationContext(parameters, 1, abstractSyntax, transferSyntaxes, 2);

    const auto start = std::chrono::steady_clock::now();
    condition = ASC_requestAssociation(m_network, parameters, &m_association);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    if (!m_association)
        ASC_destroyAssociationParameters(&parameters);
    if (condition.bad()) {
        if (condition == DUL_ASSOCIATIONREJECTED) {
            T_ASC_RejectParameters reject;
            ASC_getRejectParameters(parameters, &reject);
            return {DicomOutcome::Rejected, rejectReason(reject.reason)};
        }
        if (m_cancel.cancelled())
            return {DicomOutcome::Cancelled, "cancelled"};
        if (condition.module() == OFM_dcmnet && condition.code() == DULC_TCPINITERROR) {
            // DCMTK gives a connection that did not come about within
            // dcmConnectionTimeout the same condition as a refused one; a
            // refusal or an unreachable network comes back before the
            // time-out has run out, so the time taken tells them apart (less
            // a little for a system whose wait ends a tick early).
            if (elapsed + std::chrono::milliseconds(50) >= std::chrono::seconds(timeout))
                return {DicomOutcome::TimedOut, "no connection within " + std::to_string(timeout) + " s"};
            return {DicomOutcome::NoConnection, systemReason(condition)};
        }
        return stepFrom(condition, m_peer, m_cancel);
    }
    m_established = true;
    m_context = ASC_findAcceptedPresentationContextID(m_association, abstractSyntax);
    if (m_context == 0)
        return {DicomOutcome::Rejected,
                "the server does not accept " + std::string(dcmFindNameOfUID(abstractSyntax, abstractSyntax))};
    return {};
}

unsigned short DicomAssociation::nextMessageId()
{
    return m_association->nextMsgID++;
}

DicomStep DicomAssociation::echo(unsigned short& status)
{
    if (m_cancel.cancelled())
        return {DicomOutcome::Cancelled, "cancelled"};
    DcmDataset* detail = nullptr;
    const OFCondition condition =
        DIMSE_echoUser(m_association, nextMessageId(), DIMSE_NONBLOCKING, m_peer.timeoutSeconds, &status, &detail);
    delete detail;
    if (condition.bad())
        return stepFrom(condition, m_peer, m_cancel);
    return {};
}

DicomStep DicomAssociation::request(T_DIMSE_Message& request, DcmDataset* data, T_DIMSE_Message& response,
                                    DcmDataset*& responseData)
{
    responseData = nullptr;
    if (m_cancel.cancelled())
        return {DicomOutcome::Cancelled, "cancelled"};
    OFCondition condition =
        DIMSE_sendMessageUsingMemoryData(m_association, m_context, &request, nullptr, data, nullptr, nullptr);
    if (condition.bad())
        return stepFrom(condition, m_peer, m_cancel);
    for (;;) {
        T_ASC_PresentationContextID context = 0;
        DcmDataset* statusDetail = nullptr;
        std::memset(&response, 0, sizeof response);
        condition = DIMSE_receiveCommand(m_association, DIMSE_NONBLOCKING, m_peer.timeoutSeconds, &context, &response,
                                         &statusDetail);
        delete statusDetail;
        if (condition.bad())
            return stepFrom(condition, m_peer, m_cancel);
        DcmDataset* received = nullptr;
        const bool withData = [&response] {
            switch (response.CommandField) {
            case DIMSE_N_EVENT_REPORT_RQ:
                return response.msg.NEventReportRQ.DataSetType != DIMSE_DATASET_NULL;
            case DIMSE_N_GET_RSP:
                return response.msg.NGetRSP.DataSetType != DIMSE_DATASET_NULL;
            case DIMSE_N_SET_RSP:
                return response.msg.NSetRSP.DataSetType != DIMSE_DATASET_NULL;
            case DIMSE_N_ACTION_RSP:
                return response.msg.NActionRSP.DataSetType != DIMSE_DATASET_NULL;
            case DIMSE_N_CREATE_RSP:
                return response.msg.NCreateRSP.DataSetType != DIMSE_DATASET_NULL;
            case DIMSE_N_DELETE_RSP:
                return response.msg.NDeleteRSP.DataSetType != DIMSE_DATASET_NULL;
            default:
                return false;
            }
        }();
        if (withData) {
            condition = DIMSE_receiveDataSetInMemory(m_association, DIMSE_NONBLOCKING, m_peer.timeoutSeconds, &context,
                                                     &received, nullptr, nullptr);
            if (condition.bad())
                return stepFrom(condition, m_peer, m_cancel);
        }
        if (response.CommandField != DIMSE_N_EVENT_REPORT_RQ) {
            responseData = received;
            return {};
        }
        // A printer or print job event before the response: acknowledge it
        // and go on waiting.
        delete received;
        T_DIMSE_Message reply;
        std::memset(&reply, 0, sizeof reply);
        reply.CommandField = DIMSE_N_EVENT_REPORT_RSP;
        T_DIMSE_N_EventReportRSP& rsp = reply.msg.NEventReportRSP;
        const T_DIMSE_N_EventReportRQ& rq = response.msg.NEventReportRQ;
        rsp.MessageIDBeingRespondedTo = rq.MessageID;
        rsp.DimseStatus = STATUS_Success;
        rsp.DataSetType = DIMSE_DATASET_NULL;
        rsp.EventTypeID = rq.EventTypeID;
        OFStandard::strlcpy(rsp.AffectedSOPClassUID, rq.AffectedSOPClassUID, sizeof rsp.AffectedSOPClassUID);
        OFStandard::strlcpy(rsp.AffectedSOPInstanceUID, rq.AffectedSOPInstanceUID, sizeof rsp.AffectedSOPInstanceUID);
        rsp.opts =
            O_NEVENTREPORT_AFFECTEDSOPCLASSUID | O_NEVENTREPORT_AFFECTEDSOPINSTANCEUID | O_NEVENTREPORT_EVENTTYPEID;
        condition =
            DIMSE_sendMessageUsingMemoryData(m_association, context, &reply, nullptr, nullptr, nullptr, nullptr);
        if (condition.bad())
            return stepFrom(condition, m_peer, m_cancel);
    }
}

DicomStep DicomAssociation::release()
{
    if (m_cancel.cancelled())
        return {DicomOutcome::Cancelled, "cancelled"};
    const OFCondition condition = ASC_releaseAssociation(m_association);
    if (condition.bad())
        return stepFrom(condition, m_peer, m_cancel);
    m_established = false;
    ASC_dropAssociation(m_association);
    ASC_destroyAssociation(&m_association);
    return {};
}
