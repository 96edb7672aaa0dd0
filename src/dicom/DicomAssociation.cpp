#include "dicom/DicomAssociation.h"
#include "dicom/CancellableTransport.h"
#include "dicom/DicomLog.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "diagnostics/HostAddress.h"

#include "dcmtk/config/osconfig.h"

#include "dcmtk/dcmdata/dcdatset.h"
#include "dcmtk/dcmdata/dcuid.h"
#include "dcmtk/dcmnet/assoc.h"
#include "dcmtk/dcmnet/dcmtrans.h"
#include "dcmtk/dcmnet/dimse.h"
#include "dcmtk/dcmnet/dul.h"

DimseResponse::DimseResponse() = default;
DimseResponse::DimseResponse(DicomStep step) : step(std::move(step)) {}
DimseResponse::DimseResponse(DimseResponse&&) noexcept = default;
DimseResponse& DimseResponse::operator=(DimseResponse&&) noexcept = default;
DimseResponse::~DimseResponse() = default;

namespace {

const DicomStep kCancelled{DicomOutcome::Cancelled, "cancelled"};

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

// An IPv6 address as the host: DCMTK 3.6.7 reads the called presentation
// address as "host:port" up to the first colon and looks names up for IPv4
// only, so it can reach no IPv6 server.
bool isIPv6Host(std::string host)
{
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    return isIPv6Address(host);
}

void copyUid(char* to, std::size_t size, const std::string& uid)
{
    OFStandard::strlcpy(to, uid.c_str(), size);
}

T_DIMSE_Message message(T_DIMSE_Command command)
{
    T_DIMSE_Message m;
    std::memset(&m, 0, sizeof m);
    m.CommandField = command;
    return m;
}

// What a received command carries: its status, whether a dataset follows,
// and the instance an N-CREATE response names.
struct CommandFields {
    unsigned short status = 0xFFFF;
    bool withData = false;
    const char* createdInstance = nullptr;
};

CommandFields fieldsOf(const T_DIMSE_Message& m)
{
    const auto data = [](T_DIMSE_DataSetType type) { return type != DIMSE_DATASET_NULL; };
    switch (m.CommandField) {
    case DIMSE_N_EVENT_REPORT_RQ:
        return {0, data(m.msg.NEventReportRQ.DataSetType)};
    case DIMSE_N_GET_RSP:
        return {m.msg.NGetRSP.DimseStatus, data(m.msg.NGetRSP.DataSetType)};
    case DIMSE_N_SET_RSP:
        return {m.msg.NSetRSP.DimseStatus, data(m.msg.NSetRSP.DataSetType)};
    case DIMSE_N_ACTION_RSP:
        return {m.msg.NActionRSP.DimseStatus, data(m.msg.NActionRSP.DataSetType)};
    case DIMSE_N_CREATE_RSP:
        return {m.msg.NCreateRSP.DimseStatus, data(m.msg.NCreateRSP.DataSetType),
                (m.msg.NCreateRSP.opts & O_NCREATE_AFFECTEDSOPINSTANCEUID) ? m.msg.NCreateRSP.AffectedSOPInstanceUID
                                                                           : nullptr};
    case DIMSE_N_DELETE_RSP:
        return {m.msg.NDeleteRSP.DimseStatus, data(m.msg.NDeleteRSP.DataSetType)};
    default:
        return {};
    }
}

// The acknowledgement of a printer or print job event.
T_DIMSE_Message eventReportResponse(const T_DIMSE_N_EventReportRQ& rq)
{
    T_DIMSE_Message reply = message(DIMSE_N_EVENT_REPORT_RSP);
    T_DIMSE_N_EventReportRSP& rsp = reply.msg.NEventReportRSP;
    rsp.MessageIDBeingRespondedTo = rq.MessageID;
    rsp.DimseStatus = STATUS_Success;
    rsp.DataSetType = DIMSE_DATASET_NULL;
    rsp.EventTypeID = rq.EventTypeID;
    OFStandard::strlcpy(rsp.AffectedSOPClassUID, rq.AffectedSOPClassUID, sizeof rsp.AffectedSOPClassUID);
    OFStandard::strlcpy(rsp.AffectedSOPInstanceUID, rq.AffectedSOPInstanceUID, sizeof rsp.AffectedSOPInstanceUID);
    rsp.opts = O_NEVENTREPORT_AFFECTEDSOPCLASSUID | O_NEVENTREPORT_AFFECTEDSOPINSTANCEUID | O_NEVENTREPORT_EVENTTYPEID;
    return reply;
}

} // namespace

// --- Association ------------------------------------------------------------------

DicomAssociation::DicomAssociation(const DicomPeer& peer, DicomCancel& cancel) : m_peer(peer), m_cancel(cancel)
{
    applyDicomLogLevel();
}

DicomAssociation::~DicomAssociation()
{
    // No waiting for the server to close its end: the association is done.
    m_bounds.closing = true;
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

DicomStep DicomAssociation::open(const std::string& calledAETitle, const char* abstractSyntax)
{
    if (m_cancel.cancelled())
        return kCancelled;
    if (isIPv6Host(m_peer.host))
        return {DicomOutcome::NoConnection, "IPv6 is not supported by the DICOM checks: use the server's IPv4 address"};
    const int timeout = m_peer.timeoutSeconds;
    // One step: the connection and the association's answer together.
    beginStep();
    // The toolkit keeps these bounds in globals; every association sets them.
    // The connection within the time-out; the socket's own time-outs and the
    // association's (ACSE) time-out only back up the step's deadline, which
    // the connection keeps.
    dcmConnectionTimeout.set(timeout);
    dcmSocketSendTimeout.set(timeout);
    dcmSocketReceiveTimeout.set(timeout);
    OFCondition condition = ASC_initializeNetwork(NET_REQUESTOR, 0, toolkitTimeout(), &m_network);
    if (condition.bad())
        return {DicomOutcome::Failed, condition.text()};
    condition = ASC_setTransportLayer(m_network, newCancellableTransportLayer(m_cancel, m_bounds), 1);
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
            return kCancelled;
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
        return stepFrom(condition);
    }
    m_established = true;
    m_context = ASC_findAcceptedPresentationContextID(m_association, abstractSyntax);
    if (m_context == 0)
        return {DicomOutcome::Rejected,
                "the server does not accept " + std::string(dcmFindNameOfUID(abstractSyntax, abstractSyntax))};
    // The transfer syntax the data sets on the context come in, for the
    // connection to read their lengths by.
    T_ASC_PresentationContext accepted;
    if (ASC_findAcceptedPresentationContext(m_association->params, m_context, &accepted).good())
        m_bounds.explicitVR[m_context] =
            std::strcmp(accepted.acceptedTransferSyntax, UID_LittleEndianExplicitTransferSyntax) == 0;
    return {};
}

void DicomAssociation::beginStep()
{
    m_bounds.deadline = TransportBounds::Clock::now() + std::chrono::seconds(m_peer.timeoutSeconds);
    m_bounds.timedOut = false;
}

int DicomAssociation::toolkitTimeout() const
{
    const auto left = std::chrono::ceil<std::chrono::seconds>(m_bounds.deadline - TransportBounds::Clock::now());
    return static_cast<int>(std::max<std::chrono::seconds::rep>(left.count(), 0)) + 1;
}

// The outcome of a failed step, from DCMTK's condition and what the
// connection saw.
DicomStep DicomAssociation::stepFrom(const OFCondition& condition) const
{
    if (m_cancel.cancelled())
        return kCancelled;
    if (!m_bounds.refusal.empty())
        return {DicomOutcome::Failed, m_bounds.refusal};
    if (m_bounds.timedOut || condition == DUL_READTIMEOUT || condition == DIMSE_NODATAAVAILABLE)
        return {DicomOutcome::TimedOut, "no answer within " + std::to_string(m_peer.timeoutSeconds) + " s"};
    if (condition == DUL_PEERABORTEDASSOCIATION)
        return {DicomOutcome::Aborted, "the server aborted the association"};
    if (condition == DUL_NETWORKCLOSED || condition == DUL_PEERREQUESTEDRELEASE)
        return {DicomOutcome::Aborted, "the server closed the connection"};
    return {DicomOutcome::Failed, condition.text()};
}

unsigned short DicomAssociation::nextMessageId()
{
    return m_association->nextMsgID++;
}

DimseResponse DicomAssociation::echo()
{
    if (m_cancel.cancelled())
        return DimseResponse(kCancelled);
    beginStep();
    DimseResponse response;
    DcmDataset* detail = nullptr;
    const OFCondition condition =
        DIMSE_echoUser(m_association, nextMessageId(), DIMSE_NONBLOCKING, toolkitTimeout(), &response.status, &detail);
    delete detail;
    if (condition.bad())
        response.step = stepFrom(condition);
    return response;
}

DimseResponse DicomAssociation::nGet(const char* sopClass, const std::string& instance,
                                     const std::vector<DcmTagKey>& attributes)
{
    std::vector<DIC_US> identifiers;
    for (const DcmTagKey& tag : attributes) {
        identifiers.push_back(tag.getGroup());
        identifiers.push_back(tag.getElement());
    }
    T_DIMSE_Message request = message(DIMSE_N_GET_RQ);
    T_DIMSE_N_GetRQ& rq = request.msg.NGetRQ;
    rq.MessageID = nextMessageId();
    copyUid(rq.RequestedSOPClassUID, sizeof rq.RequestedSOPClassUID, sopClass);
    copyUid(rq.RequestedSOPInstanceUID, sizeof rq.RequestedSOPInstanceUID, instance);
    rq.DataSetType = DIMSE_DATASET_NULL;
    rq.ListCount = static_cast<int>(identifiers.size());
    rq.AttributeIdentifierList = identifiers.empty() ? nullptr : identifiers.data();
    return exchange(request, nullptr);
}

DimseResponse DicomAssociation::nCreate(const char* sopClass, DcmDataset& attributes)
{
    T_DIMSE_Message request = message(DIMSE_N_CREATE_RQ);
    T_DIMSE_N_CreateRQ& rq = request.msg.NCreateRQ;
    rq.MessageID = nextMessageId();
    copyUid(rq.AffectedSOPClassUID, sizeof rq.AffectedSOPClassUID, sopClass);
    rq.DataSetType = DIMSE_DATASET_PRESENT;
    return exchange(request, &attributes);
}

DimseResponse DicomAssociation::nSet(const char* sopClass, const std::string& instance, DcmDataset& modifications)
{
    T_DIMSE_Message request = message(DIMSE_N_SET_RQ);
    T_DIMSE_N_SetRQ& rq = request.msg.NSetRQ;
    rq.MessageID = nextMessageId();
    copyUid(rq.RequestedSOPClassUID, sizeof rq.RequestedSOPClassUID, sopClass);
    copyUid(rq.RequestedSOPInstanceUID, sizeof rq.RequestedSOPInstanceUID, instance);
    rq.DataSetType = DIMSE_DATASET_PRESENT;
    return exchange(request, &modifications);
}

DimseResponse DicomAssociation::nAction(const char* sopClass, const std::string& instance, unsigned short actionType)
{
    T_DIMSE_Message request = message(DIMSE_N_ACTION_RQ);
    T_DIMSE_N_ActionRQ& rq = request.msg.NActionRQ;
    rq.MessageID = nextMessageId();
    copyUid(rq.RequestedSOPClassUID, sizeof rq.RequestedSOPClassUID, sopClass);
    copyUid(rq.RequestedSOPInstanceUID, sizeof rq.RequestedSOPInstanceUID, instance);
    rq.ActionTypeID = actionType;
    rq.DataSetType = DIMSE_DATASET_NULL;
    return exchange(request, nullptr);
}

DimseResponse DicomAssociation::nDelete(const char* sopClass, const std::string& instance)
{
    T_DIMSE_Message request = message(DIMSE_N_DELETE_RQ);
    T_DIMSE_N_DeleteRQ& rq = request.msg.NDeleteRQ;
    rq.MessageID = nextMessageId();
    copyUid(rq.RequestedSOPClassUID, sizeof rq.RequestedSOPClassUID, sopClass);
    copyUid(rq.RequestedSOPInstanceUID, sizeof rq.RequestedSOPInstanceUID, instance);
    rq.DataSetType = DIMSE_DATASET_NULL;
    return exchange(request, nullptr);
}

DimseResponse DicomAssociation::exchange(T_DIMSE_Message& request, DcmDataset* data)
{
    if (m_cancel.cancelled())
        return DimseResponse(kCancelled);
    // The request, its response and the event reports before it: one step.
    beginStep();
    OFCondition condition =
        DIMSE_sendMessageUsingMemoryData(m_association, m_context, &request, nullptr, data, nullptr, nullptr);
    if (condition.bad())
        return DimseResponse(stepFrom(condition));
    for (int eventReports = 0;; ++eventReports) {
        T_ASC_PresentationContextID context = 0;
        DcmDataset* statusDetail = nullptr;
        T_DIMSE_Message received = message(DIMSE_NOTHING);
        condition = DIMSE_receiveCommand(m_association, DIMSE_NONBLOCKING, toolkitTimeout(), &context, &received,
                                         &statusDetail);
        delete statusDetail;
        if (condition.bad())
            return DimseResponse(stepFrom(condition));
        const CommandFields fields = fieldsOf(received);
        DcmDataset* receivedData = nullptr;
        if (fields.withData) {
            condition = DIMSE_receiveDataSetInMemory(m_association, DIMSE_NONBLOCKING, toolkitTimeout(), &context,
                                                     &receivedData, nullptr, nullptr);
            if (condition.bad())
                return DimseResponse(stepFrom(condition));
        }
        if (received.CommandField != DIMSE_N_EVENT_REPORT_RQ) {
            DimseResponse response;
            response.status = fields.status;
            response.data.reset(receivedData);
            if (fields.createdInstance)
                response.affectedInstanceUid = fields.createdInstance;
            return response;
        }
        // A printer or print job event before the response: acknowledge it
        // and go on waiting, within the step and up to a bound.
        delete receivedData;
        if (eventReports == kMaxEventReportsPerStep)
            return DimseResponse({DicomOutcome::Failed, "the server sent more than " +
                                                            std::to_string(kMaxEventReportsPerStep) +
                                                            " event reports without answering"});
        T_DIMSE_Message reply = eventReportResponse(received.msg.NEventReportRQ);
        condition =
            DIMSE_sendMessageUsingMemoryData(m_association, context, &reply, nullptr, nullptr, nullptr, nullptr);
        if (condition.bad())
            return DimseResponse(stepFrom(condition));
    }
}

DicomStep DicomAssociation::release()
{
    if (m_cancel.cancelled())
        return kCancelled;
    beginStep();
    const OFCondition condition = ASC_releaseAssociation(m_association);
    if (condition.bad())
        return stepFrom(condition);
    m_established = false;
    ASC_dropAssociation(m_association);
    ASC_destroyAssociation(&m_association);
    return {};
}
