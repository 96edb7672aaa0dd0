#include "dicom/TestFilm.h"

#include "dicom/DicomAssociation.h"
#include "dicom/DimseStatus.h"
#include "dicom/TestPattern.h"
#include "dicom/Verification.h"

#include "dcmtk/config/osconfig.h"

#include "dcmtk/dcmdata/dcdatset.h"
#include "dcmtk/dcmdata/dcdeftag.h"
#include "dcmtk/dcmdata/dcitem.h"
#include "dcmtk/dcmdata/dcuid.h"

namespace {

// N-ACTION of a film session: print it.
constexpr unsigned short kPrintAction = 1;

// Notes each step of the film in the report.
class FilmSteps {
  public:
    explicit FilmSteps(TestFilmReport& report) : m_report(report) {}

    // Notes the step; true when it was answered with success or a warning.
    bool note(const char* name, const DimseResponse& response)
    {
        FilmStep step;
        step.name = name;
        step.outcome = response.step.outcome;
        step.detail = response.step.detail;
        if (response.answered())
            step.status = response.status;
        m_report.steps.push_back(step);
        return response.answered() && statusKind(response.status) != StatusKind::Failure;
    }

    // The connection is gone: no further request can be made.
    bool broken() const { return !m_report.steps.empty() && m_report.steps.back().outcome != DicomOutcome::Answered; }

  private:
    TestFilmReport& m_report;
};

std::string stringOf(DcmItem* item, const DcmTagKey& tag)
{
    OFString value;
    if (item && item->findAndGetOFString(tag, value).good())
        return value.c_str();
    return {};
}

// The film session: one copy, the rest the server's session defaults.
void fillFilmSession(DcmDataset& session)
{
    session.putAndInsertString(DCM_NumberOfCopies, "1");
}

// The film box: one image on the film, in the session.
void fillFilmBox(DcmDataset& box, const std::string& sessionUid, bool landscape)
{
    box.putAndInsertString(DCM_ImageDisplayFormat, "STANDARD\\1,1");
    box.putAndInsertString(DCM_FilmOrientation, landscape ? "LANDSCAPE" : "PORTRAIT");
    DcmItem* session = nullptr;
    box.findOrCreateSequenceItem(DCM_ReferencedFilmSessionSequence, session);
    if (session) {
        session->putAndInsertString(DCM_ReferencedSOPClassUID, UID_BasicFilmSessionSOPClass);
        session->putAndInsertString(DCM_ReferencedSOPInstanceUID, sessionUid.c_str());
    }
}

// The image box: the test pattern in position 1.
void fillImageBox(DcmDataset& imageBox, const TestPattern& pattern)
{
    imageBox.putAndInsertUint16(DCM_ImageBoxPosition, 1);
    DcmItem* image = nullptr;
    imageBox.findOrCreateSequenceItem(DCM_BasicGrayscaleImageSequence, image);
    if (!image)
        return;
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

// The image box the server made for a film box, as its N-CREATE response
// names it; empty when it names none.
std::string imageBoxOf(DcmDataset* filmBox)
{
    DcmItem* reference = nullptr;
    if (filmBox)
        filmBox->findAndGetSequenceItem(DCM_ReferencedImageBoxSequence, reference, 0);
    return stringOf(reference, DCM_ReferencedSOPInstanceUID);
}

// In the session: N-CREATE film box, N-SET image box, N-ACTION print. True
// when the print action succeeded.
bool printFilm(DicomAssociation& association, FilmSteps& steps, const std::string& sessionUid, bool landscape)
{
    DcmDataset box;
    fillFilmBox(box, sessionUid, landscape);
    const DimseResponse filmBox = association.nCreate(UID_BasicFilmBoxSOPClass, box);
    if (!steps.note("N-CREATE film box", filmBox))
        return false;
    const std::string imageBoxUid = imageBoxOf(filmBox.data.get());
    if (imageBoxUid.empty())
        return false;

    DcmDataset imageBox;
    fillImageBox(imageBox, makeTestPattern());
    if (!steps.note("N-SET image box", association.nSet(UID_BasicGrayscaleImageBoxSOPClass, imageBoxUid, imageBox)))
        return false;

    return steps.note("N-ACTION print film session",
                      association.nAction(UID_BasicFilmSessionSOPClass, sessionUid, kPrintAction));
}

// The film's steps on an open association.
void runFilm(DicomAssociation& association, FilmSteps& steps, TestFilmReport& report, bool landscape)
{
    const DimseResponse printer =
        association.nGet(UID_PrinterSOPClass, UID_PrinterSOPInstance, {DCM_PrinterStatus, DCM_PrinterStatusInfo});
    steps.note("N-GET printer", printer);
    if (steps.broken())
        return;
    report.printerStatus = stringOf(printer.data.get(), DCM_PrinterStatus);
    report.printerStatusInfo = stringOf(printer.data.get(), DCM_PrinterStatusInfo);

    DcmDataset sessionAttributes;
    fillFilmSession(sessionAttributes);
    const DimseResponse session = association.nCreate(UID_BasicFilmSessionSOPClass, sessionAttributes);
    if (!steps.note("N-CREATE film session", session))
        return;

    report.printed = printFilm(association, steps, session.affectedInstanceUid, landscape);
    if (steps.broken())
        return;
    steps.note("N-DELETE film session", association.nDelete(UID_BasicFilmSessionSOPClass, session.affectedInstanceUid));
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
    FilmSteps steps(report);
    runFilm(association, steps, report, landscape);
    if (!steps.broken()) {
        const DicomStep released = association.release();
        if (!released.answered())
            steps.note("release", DimseResponse(released));
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
