#include "dicom/DicomPlugin.h"

#include <filesystem>

#include "dicom/DicomChecks.h"
#include "platform/Folders.h"
#include "platform/PluginLibrary.h"

#ifdef _WIN32
const char* const kDicomPluginFileName = "quarvel-dicom.dll";
constexpr char kSeparator = '\\';
#else
const char* const kDicomPluginFileName = "quarvel-dicom.so";
constexpr char kSeparator = '/';
#endif

std::vector<std::string> dicomPluginFolders(const std::string& programFolder)
{
    std::vector<std::string> folders{programFolder};
    // Linux only: paths there are the system's bytes.
    const std::string installed = QUARVEL_DICOM_PLUGIN_FROM_PROGRAM;
    if (!installed.empty())
        folders.push_back((std::filesystem::path(programFolder) / installed).lexically_normal().string());
    return folders;
}

DicomChecks* loadDicomChecks(const std::vector<std::string>& folders, std::string& error)
{
    std::string path;
    for (const std::string& folder : folders) {
        const bool separated = !folder.empty() && (folder.back() == '/' || folder.back() == kSeparator);
        const std::string candidate = folder + (separated ? "" : std::string(1, kSeparator)) + kDicomPluginFileName;
        if (pluginFileExists(candidate)) {
            path = candidate;
            break;
        }
    }
    if (path.empty()) {
        std::string where;
        for (const std::string& folder : folders)
            where += (where.empty() ? "" : " or ") + folder;
        error = std::string("The DICOM checks are not installed: ") + kDicomPluginFileName + " was not found in " +
                where + ".";
        return nullptr;
    }
    std::string reason;
    void* entry = openPluginFunction(path, kDicomChecksEntryName, reason);
    if (!entry) {
        error = "The DICOM checks could not be loaded from " + path + ": " + reason;
        return nullptr;
    }
    DicomChecks* checks = reinterpret_cast<DicomChecksEntry>(entry)(QUARVEL_DICOM_CHECKS_KEY);
    if (!checks)
        error = "The DICOM checks in " + path + " belong to another build of Quarvel.";
    return checks;
}

DicomChecks* dicomChecks(std::string& error)
{
    static std::string loadError;
    static DicomChecks* const checks = [] {
        const std::string folder = executableDirectory();
        return loadDicomChecks(dicomPluginFolders(folder.empty() ? "." : folder), loadError);
    }();
    if (!checks)
        error = loadError;
    return checks;
}
