#include "dicom/TestFilm.h"

#include <cstring>
#include <memory>

#include "dicom/DicomAssociation.h"
#include "dicom/DimseStatus.h"
#include "dicom/TestPattern.h"
#include "dicom/Verification.h"

#include "dcmtk/config/osconfig.h"

#include "dcmtk/dcmdata/dcdatset.h"
#include "dcmtk/dcmdata/dcdeftag.h"
#include "dcmtk/dcmdata/dcitem.h"
#include "dcmtk/dcmdata/dcuid.h"
#include "dcmtk/dcmnet/dimse.h"

namespace {

constexpr unsigned short kPrintAction = 1;

void copyUid(char* to, std::size_t size, const std::string& uid)
{
    OFStandard::strlcpy(to, uid.c_str(), size);
}

// The status of any N- response.
unsigned short responseStatus(const T_DIMSE_Message& response)
{
    switch (response.CommandField) {
    case DIMSE_N_GET_RSP:
        return response.msg.NGetRSP.DimseStatus;
    case DIMSE_N_SET_RSP:
        return response.msg.NSetRSP.DimseStatus;
    case DIMSE_N_ACTION_RSP:
        return response.msg.NActionRSP.DimseStatus;
    case DIMSE_N_CREATE_RSP:
        return response.msg.NCreateRSP.DimseStatus;
    case DIMSE_N_DELETE_RSP:
        return response.msg.NDeleteRSP.DimseStatus;
    default:
        return 0xFFFF;
    }
}

// Runs the requests of one film on an open association, noting each.
class FilmRun {
  public:
    FilmRun(DicomAssociation& association, TestFilmReport& report) : m_association(association), m_report(report) {}

    // Sends request, notes the step; true when it was answered with success
    // or a warning. response data (may be null) goes to data.
    bool step(const char* name, T_DIMSE_Message& request, DcmDataset* send, std::unique_ptr<DcmDataset>& data,
              T_DIMSE_Message& response)
    {
        DcmDataset* received = nullptr;
        const DicomStep outcome = m_association.request(request, send, response, received);
        data.reset(received);
        FilmStep step;
        step.name = name;
        step.outcome = outcome.outcome;
        step.detail = outcome.detail;
        if (outcome.answered())
            step.status = responseStatus(response);
        m_report.steps.push_back(step);
        if (!outcome.answered()) {
            m_broken = true;
            return false;
        }
        return statusKind(step.status) != StatusKind::Failure;
    }

    bool broken() const { return m_broken; }

  private:
    DicomAssociation& m_association;
    TestFilmReport& m_report;
    bool m_broken = false;
};

T_DIMSE_Message message(T_DIMSE_Command command)
{
    T_DIMSE_Message m;
    std::memset(&m, 0, sizeof m);
    m.CommandField = command;
    return m;
}

std::string stringOf(DcmItem* item, const DcmTagKey& tag)
{
    OFString value;
    if (item && item->findAndGetOFString(tag, value).good())
        return value.c_str();
    return {};
}

void runFilm(DicomAssociation& association, TestFilmReport& report, bool landscape)
{
    FilmRun run(association, report);
    std::unique_ptr<DcmDataset> data;

    // The printer's status.
    T_DIMSE_Message get = message(DIMSE_N_GET_RQ);
    DIC_US attributes[] = {DCM_PrinterStatus.getGroup(), DCM_PrinterStatus.getElement(),
                           DCM_PrinterStatusInfo.getGroup(), DCM_PrinterStatusInfo.getElement()};
    get.msg.NGetRQ.MessageID = association.nextMessageId();
    copyUid(get.msg.NGetRQ.RequestedSOPClassUID, sizeof get.msg.NGetRQ.RequestedSOPClassUID, UID_PrinterSOPClass);
    copyUid(get.msg.NGetRQ.RequestedSOPInstanceUID, sizeof get.msg.NGetRQ.RequestedSOPInstanceUID,
            UID_PrinterSOPInstance);
    get.msg.NGetRQ.DataSetType = DIMSE_DATASET_NULL;
    get.msg.NGetRQ.ListCount = 4;
    get.msg.NGetRQ.AttributeIdentifierList = attributes;
    T_DIMSE_Message response;
    run.step("N-GET printer", get, nullptr, data, response);
    if (run.broken())
        return;
    report.printerStatus = stringOf(data.get(), DCM_PrinterStatus);
    report.printerStatusInfo = stringOf(data.get(), DCM_PrinterStatusInfo);

    // The film session: one copy, the rest the server's session defaults.
    T_DIMSE_Message create = message(DIMSE_N_CREATE_RQ);
    create.msg.NCreateRQ.MessageID = association.nextMessageId();
    copyUid(create.msg.NCreateRQ.AffectedSOPClassUID, sizeof create.msg.NCreateRQ.AffectedSOPClassUID,
            UID_BasicFilmSessionSOPClass);
    create.msg.NCreateRQ.DataSetType = DIMSE_DATASET_PRESENT;
    DcmDataset session;
    session.putAndInsertString(DCM_NumberOfCopies, "1");
    if (!run.step("N-CREATE film session", create, &session, data, response))
        return;
    std::string sessionUid = response.msg.NCreateRSP.AffectedSOPInstanceUID;

    auto deleteSession = [&] {
        T_DIMSE_Message remove = message(DIMSE_N_DELETE_RQ);
        remove.msg.NDeleteRQ.MessageID = association.nextMessageId();
        copyUid(remove.msg.NDeleteRQ.RequestedSOPClassUID, sizeof remove.msg.NDeleteRQ.RequestedSOPClassUID,
                UID_BasicFilmSessionSOPClass);
        copyUid(remove.msg.NDeleteRQ.RequestedSOPInstanceUID, sizeof remove.msg.NDeleteRQ.RequestedSOPInstanceUID,
                sessionUid);
        remove.msg.NDeleteRQ.DataSetType = DIMSE_DATASET_NULL;
        run.step("N-DELETE film session", remove, nullptr, data, response);
    };

    // The film box: one image on the film.
    create = message(DIMSE_N_CREATE_RQ);
    create.msg.NCreateRQ.MessageID = association.nextMessageId();
    copyUid(create.msg.NCreateRQ.AffectedSOPClassUID, sizeof create.msg.NCreateRQ.AffectedSOPClassUID,
            UID_BasicFilmBoxSOPClass);
    create.msg.NCreateRQ.DataSetType = DIMSE_DATASET_PRESENT;
    DcmDataset box;
    box.putAndInsertString(DCM_ImageDisplayFormat, "STANDARD\\1,1");
    box.putAndInsertString(DCM_FilmOrientation, landscape ? "LANDSCAPE" : "PORTRAIT");
    DcmItem* sessionReference = nullptr;
    box.findOrCreateSequenceItem(DCM_ReferencedFilmSessionSequence, sessionReference);
    if (sessionReference) {
        sessionReference->putAndInsertString(DCM_ReferencedSOPClassUID, UID_BasicFilmSessionSOPClass);
        sessionReference->putAndInsertString(DCM_ReferencedSOPInstanceUID, sessionUid.c_str());
    }
    const bool boxMade = run.step("N-CREATE film box", create, &box, data, response);
    if (run.broken())
        return;
    DcmItem* imageBoxReference = nullptr;
    if (boxMade && data)
        data->findAndGetSequenceItem(DCM_ReferencedImageBoxSequence, imageBoxReference, 0);
    const std::string imageBoxUid = stringOf(imageBoxReference, DCM_ReferencedSOPInstanceUID);

    bool imageSet = false;
    if (boxMade && !imageBoxUid.empty()) {
        const TestPattern pattern = makeTestPattern();
        T_DIMSE_Message set = message(DIMSE_N_SET_RQ);
        set.msg.NSetRQ.MessageID = association.nextMessageId();
        copyUid(set.msg.NSetRQ.RequestedSOPClassUID, sizeof set.msg.NSetRQ.RequestedSOPClassUID,
                UID_BasicGrayscaleImageBoxSOPClass);
        copyUid(set.msg.NSetRQ.RequestedSOPInstanceUID, sizeof set.msg.NSetRQ.RequestedSOPInstanceUID, imageBoxUid);
        set.msg.NSetRQ.DataSetType = DIMSE_DATASET_PRESENT;
        DcmDataset imageBox;
        imageBox.putAndInsertUint16(DCM_ImageBoxPosition, 1);
        DcmItem* image = nullptr;
        imageBox.findOrCreateSequenceItem(DCM_BasicGrayscaleImageSequence, image);
        if (image) {
            image->putAndInsertUint16(DCM_SamplesPerPixel, 1);
            image->putAndInsertString(DCM_PhotometricInterpretation, "MONOCHROME2");
            image->putAndInsertUint16(DCM_Rows, static_cast<Uint16>(pattern.rows));
            image->putAndInsertUint16(DCM_Columns, static_cast<Uint16>(pattern.columns));
            image->putAndInsertString(DCM_PixelAspectRatio, "1\\1");
            image->putAndInsertUint16(DCM_BitsAllocated, 8);
            image->putAndInsertUint16(DCM_BitsStored, 8);
            image->putAndInsertUint16(DCM_HighBit, 7);
            image->putAndInsertUint16(DCM_PixelRepresentation, 0);
            image->putAndInsertUint8Array(DCM_PixelData, pattern.pixels.data(),
                                          static_cast<unsigned long>(pattern.pixels.size()));
        }
        imageSet = run.step("N-SET image box", set, &imageBox, data, response);
        if (run.broken())
            return;
    }

    if (imageSet) {
        T_DIMSE_Message action = message(DIMSE_N_ACTION_RQ);
        action.msg.NActionRQ.MessageID = association.nextMessageId();
        copyUid(action.msg.NActionRQ.RequestedSOPClassUID, sizeof action.msg.NActionRQ.RequestedSOPClassUID,
                UID_BasicFilmSessionSOPClass);
        copyUid(action.msg.NActionRQ.RequestedSOPInstanceUID, sizeof action.msg.NActionRQ.RequestedSOPInstanceUID,
                sessionUid);
        action.msg.NActionRQ.ActionTypeID = kPrintAction;
        action.msg.NActionRQ.DataSetType = DIMSE_DATASET_NULL;
        report.printed = run.step("N-ACTION print film session", action, nullptr, data, response);
        if (run.broken())
            return;
    }
    deleteSession();
}

} // namespace

TestFilmReport sendTestFilm(const DicomPeer& peer, const std::string& printerAETitle, bool landscape,
                            DicomCancel& cancel)
{
    TestFilmReport report;
    DicomAssociation association(peer, cancel);
    const DicomStep opened = association.open(printerAETitle, UID_BasicGrayscalePrintManagementMetaSOPClass);
    report.association = opened.outcome;
    report.associationDetail = opened.detail;
    if (!opened.answered())
        return report;
    runFilm(association, report, landscape);
    const bool broken = !report.steps.empty() && report.steps.back().outcome != DicomOutcome::Answered;
    if (!broken) {
        const DicomStep released = association.release();
        if (!released.answered()) {
            FilmStep step;
            step.name = "release";
            step.outcome = released.outcome;
            step.detail = released.detail;
            report.steps.push_back(step);
        }
    }
    return report;
}

std::vector<std::string> testFilmLines(const TestFilmReport& report, const std::string& printerAETitle,
                                       const DicomPeer& peer)
{
    const std::string where = printerAETitle + " at " + peer.address() + ": ";
    std::vector<std::string> lines;
    if (report.association != DicomOutcome::Answered) {
        std::string line = where + "test film not printed: " + outcomeName(report.association);
        if (report.association != DicomOutcome::Cancelled && !report.associationDetail.empty())
            line += ": " + report.associationDetail;
        lines.push_back(line);
        return lines;
    }
    lines.push_back(where + "association accepted");
    for (const FilmStep& step : report.steps) {
        std::string line = step.name + ": ";
        if (step.outcome == DicomOutcome::Answered) {
            line += statusText(step.status);
            if (step.name == "N-GET printer" && !report.printerStatus.empty())
                line += "; printer status " + report.printerStatus +
                        (report.printerStatusInfo.empty() ? "" : " (" + report.printerStatusInfo + ")");
        } else {
            line += outcomeName(step.outcome);
            if (step.outcome != DicomOutcome::Cancelled && !step.detail.empty())
                line += ": " + step.detail;
        }
        lines.push_back(line);
    }
    lines.push_back(where + (report.printed ? "test film printed" : "test film not printed"));
    return lines;
}
