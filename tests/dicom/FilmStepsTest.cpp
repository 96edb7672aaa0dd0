// The test film's steps against a printer made here (DCMTK's acceptor side)
// that answers each request with the status a row gives it: a failed step
// skips what needs it, and a session that was made is deleted.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <thread>

#include "LoopbackPorts.h"
#include "dicom/TestFilm.h"

#include "dcmtk/config/osconfig.h"

#include "dcmtk/dcmdata/dcdatset.h"
#include "dcmtk/dcmdata/dcdeftag.h"
#include "dcmtk/dcmdata/dcuid.h"
#include "dcmtk/dcmnet/assoc.h"
#include "dcmtk/dcmnet/dimse.h"

namespace {

// The status the printer gives each request.
struct Statuses {
    Uint16 printer = 0, session = 0, filmBox = 0, imageBox = 0, print = 0, remove = 0;
};

// Serves one association; finish() gives the requests it received in order.
class ScriptedPrinter {
  public:
    explicit ScriptedPrinter(const Statuses& statuses) : m_listener(true), m_statuses(statuses)
    {
        m_thread = std::thread([this] { serve(); });
    }
    ~ScriptedPrinter() { finish(); }
    int port() const { return m_listener.port(); }
    std::string finish()
    {
        if (m_thread.joinable()) {
            ::shutdown(m_listener.socket(), SHUT_RDWR);
            m_thread.join();
        }
        return m_received;
    }

  private:
    void serve()
    {
        const int fd = ::accept(m_listener.socket(), nullptr, nullptr);
        if (fd < 0)
            return;
        T_ASC_Network* network = nullptr;
        dcmExternalSocketHandle.set(fd);
        ASC_initializeNetwork(NET_ACCEPTOR, 0, 30, &network);
        T_ASC_Association* association = nullptr;
        if (ASC_receiveAssociation(network, &association, ASC_DEFAULTMAXPDU).good()) {
            const char* classes[] = {UID_BasicGrayscalePrintManagementMetaSOPClass};
            const char* syntaxes[] = {UID_LittleEndianExplicitTransferSyntax, UID_LittleEndianImplicitTransferSyntax};
            ASC_acceptContextsWithPreferredTransferSyntaxes(association->params, classes, 1, syntaxes, 2);
            ASC_acknowledgeAssociation(association);
            while (answer(association)) {
            }
            ASC_dropSCPAssociation(association);
        }
        dcmExternalSocketHandle.set(-1);
        if (association)
            ASC_destroyAssociation(&association);
        ASC_dropNetwork(&network);
    }

    // Answers one request; false when the client released or went.
    bool answer(T_ASC_Association* association)
    {
        T_ASC_PresentationContextID context = 0;
        T_DIMSE_Message rq;
        std::memset(&rq, 0, sizeof rq);
        const OFCondition received = DIMSE_receiveCommand(association, DIMSE_NONBLOCKING, 30, &context, &rq, nullptr);
        if (received == DUL_PEERREQUESTEDRELEASE) {
            m_received += "release";
            ASC_acknowledgeRelease(association);
        }
        if (received.bad())
            return false;
        DcmDataset* data = nullptr;
        if (rq.CommandField == DIMSE_N_CREATE_RQ || rq.CommandField == DIMSE_N_SET_RQ)
            DIMSE_receiveDataSetInMemory(association, DIMSE_NONBLOCKING, 30, &context, &data, nullptr, nullptr);
        delete data;
        // DCMTK hands an N-GET's attribute list over in memory of its own.
        if (rq.CommandField == DIMSE_N_GET_RQ) {
            std::free(rq.msg.NGetRQ.AttributeIdentifierList);
            rq.msg.NGetRQ.AttributeIdentifierList = nullptr;
        }

        T_DIMSE_Message rsp;
        std::memset(&rsp, 0, sizeof rsp);
        // Attributes go back with a successful N-GET or N-CREATE of a film box.
        DcmDataset reply;
        bool withReply = false;
        const auto attributes = [&withReply](Uint16 status) {
            withReply = status == 0;
            return withReply ? DIMSE_DATASET_PRESENT : DIMSE_DATASET_NULL;
        };
        switch (rq.CommandField) {
        case DIMSE_N_GET_RQ:
            m_received += "N-GET ";
            rsp.CommandField = DIMSE_N_GET_RSP;
            rsp.msg.NGetRSP.MessageIDBeingRespondedTo = rq.msg.NGetRQ.MessageID;
            rsp.msg.NGetRSP.DimseStatus = m_statuses.printer;
            rsp.msg.NGetRSP.DataSetType = attributes(m_statuses.printer);
            reply.putAndInsertString(DCM_PrinterStatus, "NORMAL");
            break;
        case DIMSE_N_CREATE_RQ: {
            const bool session = std::strcmp(rq.msg.NCreateRQ.AffectedSOPClassUID, UID_BasicFilmSessionSOPClass) == 0;
            m_received += session ? "N-CREATE-session " : "N-CREATE-box ";
            T_DIMSE_N_CreateRSP& r = rsp.msg.NCreateRSP;
            rsp.CommandField = DIMSE_N_CREATE_RSP;
            r.MessageIDBeingRespondedTo = rq.msg.NCreateRQ.MessageID;
            r.DimseStatus = session ? m_statuses.session : m_statuses.filmBox;
            r.DataSetType = session ? DIMSE_DATASET_NULL : attributes(r.DimseStatus);
            std::strcpy(r.AffectedSOPInstanceUID, session ? "1.2.3.1" : "1.2.3.2");
            r.opts = O_NCREATE_AFFECTEDSOPINSTANCEUID;
            DcmItem* imageBox = nullptr;
            if (!session && reply.findOrCreateSequenceItem(DCM_ReferencedImageBoxSequence, imageBox).good()) {
                imageBox->putAndInsertString(DCM_ReferencedSOPClassUID, UID_BasicGrayscaleImageBoxSOPClass);
                imageBox->putAndInsertString(DCM_ReferencedSOPInstanceUID, "1.2.3.3");
            }
            break;
        }
        case DIMSE_N_SET_RQ:
            m_received += std::string("N-SET-") + rq.msg.NSetRQ.RequestedSOPInstanceUID + " ";
            rsp.CommandField = DIMSE_N_SET_RSP;
            rsp.msg.NSetRSP.MessageIDBeingRespondedTo = rq.msg.NSetRQ.MessageID;
            rsp.msg.NSetRSP.DimseStatus = m_statuses.imageBox;
            rsp.msg.NSetRSP.DataSetType = DIMSE_DATASET_NULL;
            break;
        case DIMSE_N_ACTION_RQ:
            m_received += std::string("N-ACTION-") + rq.msg.NActionRQ.RequestedSOPInstanceUID + " ";
            rsp.CommandField = DIMSE_N_ACTION_RSP;
            rsp.msg.NActionRSP.MessageIDBeingRespondedTo = rq.msg.NActionRQ.MessageID;
            rsp.msg.NActionRSP.DimseStatus = m_statuses.print;
            rsp.msg.NActionRSP.DataSetType = DIMSE_DATASET_NULL;
            break;
        default:
            m_received += std::string("N-DELETE-") + rq.msg.NDeleteRQ.RequestedSOPInstanceUID + " ";
            rsp.CommandField = DIMSE_N_DELETE_RSP;
            rsp.msg.NDeleteRSP.MessageIDBeingRespondedTo = rq.msg.NDeleteRQ.MessageID;
            rsp.msg.NDeleteRSP.DimseStatus = m_statuses.remove;
            rsp.msg.NDeleteRSP.DataSetType = DIMSE_DATASET_NULL;
            break;
        }
        return DIMSE_sendMessageUsingMemoryData(association, context, &rsp, nullptr, withReply ? &reply : nullptr,
                                                nullptr, nullptr)
            .good();
    }

    LoopbackPort m_listener;
    Statuses m_statuses;
    std::string m_received;
    std::thread m_thread;
};

} // namespace

TEST(FilmSteps, AFailedStepSkipsWhatNeedsItAndTheSessionIsStillDeleted)
{
    struct Row {
        const char* name;
        Statuses statuses;
        const char* received; // by the printer, in order
        const char* line;     // the step line the status shows in
        bool printed;
    };
    const char* all = "N-GET N-CREATE-session N-CREATE-box N-SET-1.2.3.3 N-ACTION-1.2.3.1 N-DELETE-1.2.3.1 release";
    const Row rows[] = {
        {"warnings go on", {0, 0, 0, 0xB605, 0, 0}, all, "N-SET image box: warning 0xB605\n", true},
        {"printer status refused", {0x0110, 0, 0, 0, 0, 0}, all, "N-GET printer: failure 0x0110\n", true},
        {"session refused",
         {0, 0xA700, 0, 0, 0, 0},
         "N-GET N-CREATE-session release",
         "N-CREATE film session: failure 0xA700\n",
         false},
        {"film box refused",
         {0, 0, 0x0106, 0, 0, 0},
         "N-GET N-CREATE-session N-CREATE-box N-DELETE-1.2.3.1 release",
         "N-CREATE film box: failure 0x0106\nN-DELETE film session: success\n",
         false},
        {"image refused",
         {0, 0, 0, 0xC603, 0, 0},
         "N-GET N-CREATE-session N-CREATE-box N-SET-1.2.3.3 N-DELETE-1.2.3.1 release",
         "N-SET image box: failure 0xC603\nN-DELETE film session: success\n",
         false},
        {"print refused",
         {0, 0, 0, 0, 0xC602, 0},
         all,
         "N-ACTION print film session: failure 0xC602\nN-DELETE film session: success\n",
         false},
        {"delete refused after printing",
         {0, 0, 0, 0, 0, 0x0110},
         all,
         "N-DELETE film session: failure 0x0110\n",
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScriptedPrinter printer(row.statuses);
        DicomPeer peer;
        peer.port = printer.port();
        DicomCancel cancel;
        const TestFilmReport report = sendTestFilm(peer, "LASER3", false, cancel);
        EXPECT_EQ(printer.finish(), row.received);
        std::string lines;
        for (const std::string& line : testFilmLines(report, "LASER3", peer))
            lines += line + "\n";
        EXPECT_NE(lines.find(row.line), std::string::npos) << lines;
        const std::string result = row.printed ? ": test film printed\n" : ": test film not printed\n";
        EXPECT_EQ(lines.substr(lines.size() - result.size()), result) << lines;
        EXPECT_EQ(report.printed, row.printed);
    }
}
