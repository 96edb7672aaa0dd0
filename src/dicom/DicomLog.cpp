#include "dicom/DicomLog.h"

#include <atomic>

#include "dcmtk/config/osconfig.h"

#include "dcmtk/oflog/oflog.h"

namespace {

std::atomic<DicomLogLevel> g_level{DicomLogLevel::Off};
std::atomic<bool> g_applied{false};

OFLogger::LogLevel toolkitLevel(DicomLogLevel level)
{
    switch (level) {
    case DicomLogLevel::Info:
        return OFLogger::INFO_LOG_LEVEL;
    case DicomLogLevel::Debug:
        return OFLogger::DEBUG_LOG_LEVEL;
    case DicomLogLevel::Off:
        break;
    }
    return OFLogger::OFF_LOG_LEVEL;
}

} // namespace

void setDicomLogLevel(DicomLogLevel level)
{
    g_level = level;
    OFLog::configure(toolkitLevel(level));
    g_applied = true;
}

void applyDicomLogLevel()
{
    // DCMTK logs to standard error by default; unless asked, its texts are
    // not ours to show.
    if (!g_applied.exchange(true))
        OFLog::configure(toolkitLevel(g_level));
}
