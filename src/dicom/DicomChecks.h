#pragma once

#include <functional>
#include <string>
#include <vector>

#include "dicom/DicomLog.h"
#include "dicom/DicomPeer.h"
#include "dicom/TestFilm.h"
#include "dicom/Verification.h"

// The DICOM checks as the programs call them: a table of calls that the
// DICOM plugin (quarvel-dicom, which alone links DCMTK) fills, so that the
// programs load DCMTK only when a check runs. Each call is the function of
// the same name in Verification.h, TestFilm.h and DicomLog.h. The plugin is
// built with the programs from the same sources, and nothing thrown crosses
// the table.
class DicomChecks {
  public:
    virtual void setLogLevel(DicomLogLevel level) = 0;
    virtual std::vector<EchoResult> verifyServer(const DicomPeer& peer, const std::vector<std::string>& titles,
                                                 DicomCancel& cancel,
                                                 const std::function<void(const EchoResult&)>& done) = 0;
    virtual std::string echoLine(const EchoResult& result, const DicomPeer& peer) = 0;
    virtual TestFilmReport sendTestFilm(const DicomPeer& peer, const std::string& printerAETitle, bool landscape,
                                        DicomCancel& cancel) = 0;
    virtual std::vector<std::string> testFilmLines(const TestFilmReport& report, const std::string& printerAETitle,
                                                   const DicomPeer& peer) = 0;

  protected:
    ~DicomChecks() = default;
};

// The plugin's one exported function: its table, or null when the plugin
// was built for another build of the programs than the one that asks.
// The key is kDicomChecksKey of the asking program.
extern "C" {
using DicomChecksEntry = DicomChecks* (*)(const char* key);
}
inline constexpr const char* kDicomChecksEntryName = "quarvel_dicom_checks";
