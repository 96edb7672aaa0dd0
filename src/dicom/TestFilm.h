#pragma once

#include <string>
#include <vector>

#include "dicom/DicomPeer.h"

// One request of the test film and what became of it.
struct FilmStep {
    std::string name; // "N-CREATE film session"
    DicomOutcome outcome = DicomOutcome::Failed;
    unsigned short status = 0; // the response's DIMSE status, when answered
    std::string detail;        // the reason, when not answered
};

// The test film's course: the association, each request made, the printer's
// status as the N-GET gave it, and whether the print action succeeded.
struct TestFilmReport {
    DicomOutcome association = DicomOutcome::Failed;
    std::string associationDetail;
    std::vector<FilmStep> steps;
    std::string printerStatus;     // Printer Status (2110,0010), empty when not given
    std::string printerStatusInfo; // Printer Status Info (2110,0020)
    bool printed = false;
};

// Prints one film of makeTestPattern() through the printer whose AE title is
// printerAETitle (the called AE title), proposing the Basic Grayscale Print
// Management Meta SOP Class: N-GET of the printer's status, N-CREATE of a
// film session (one copy, the rest the server's defaults) and of a film box
// (STANDARD\1,1, orientation PORTRAIT or LANDSCAPE as landscape says),
// N-SET of its image box, N-ACTION print of the session, N-DELETE of the
// session, release. A step that fails skips the steps that need it; a session
// that was made is deleted whatever failed after it, unless the connection
// is gone.
TestFilmReport sendTestFilm(const DicomPeer& peer, const std::string& printerAETitle, bool landscape,
                            DicomCancel& cancel);

// The report as lines: the association, one line a step, the result
// ("RADPRINT at 127.0.0.1:104: test film printed").
std::vector<std::string> testFilmLines(const TestFilmReport& report, const std::string& printerAETitle,
                                       const DicomPeer& peer);
