// The DICOM plugin: the checks of Verification.h, TestFilm.h and DicomLog.h
// behind the table the programs call (DicomChecks.h).
#include <cstring>
#include <exception>

#include "dicom/DicomChecks.h"

namespace {

class ToolkitChecks final : public DicomChecks {
  public:
    void setLogLevel(DicomLogLevel level) override { setDicomLogLevel(level); }

    std::vector<EchoResult> verifyServer(const DicomPeer& peer, const std::vector<std::string>& titles,
                                         DicomCancel& cancel,
                                         const std::function<void(const EchoResult&)>& done) override
    {
        try {
            return ::verifyServer(peer, titles, cancel, done);
        } catch (const std::exception& error) {
            // What was echoed so far was handed to done already.
            EchoResult failed;
            failed.detail = error.what();
            return {failed};
        }
    }

    std::string echoLine(const EchoResult& result, const DicomPeer& peer) override { return ::echoLine(result, peer); }

    TestFilmReport sendTestFilm(const DicomPeer& peer, const std::string& printerAETitle, bool landscape,
                                DicomCancel& cancel) override
    {
        try {
            return ::sendTestFilm(peer, printerAETitle, landscape, cancel);
        } catch (const std::exception& error) {
            TestFilmReport failed;
            failed.associationDetail = error.what();
            return failed;
        }
    }

    std::vector<std::string> testFilmLines(const TestFilmReport& report, const std::string& printerAETitle,
                                           const DicomPeer& peer) override
    {
        return ::testFilmLines(report, printerAETitle, peer);
    }
};

} // namespace

extern "C" QUARVEL_DICOM_EXPORT DicomChecks* quarvel_dicom_checks(const char* key)
{
    static ToolkitChecks checks;
    return key && std::strcmp(key, QUARVEL_DICOM_CHECKS_KEY) == 0 ? &checks : nullptr;
}
