#include "platform/SaveMessages.h"

#include <cerrno>
#include <cstring>

std::string savedMessage(const std::string& path, const std::string& backupName)
{
    if (!backupName.empty())
        return "An old configuration file was found and renamed.\nNew configuration:\t" + path +
               "\nOld configuration:\t" + backupName + "\n";
    return "Configuration saved to file '" + path + "'.";
}

std::string incompleteBackupNote(const std::string& leftover)
{
    return leftover.empty() ? std::string() : "\nThe backup " + leftover + " is incomplete and could not be removed.";
}

std::string lockBusyMessage(const std::string& path, int waitSeconds)
{
    return path + " is being changed by another program: its lock was not free within " + std::to_string(waitSeconds) +
           " s. Nothing was written; try again when that program is done.";
}

std::string missingFolderMessage(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    return "File could not be opened: " + path + ": " + std::strerror(ENOENT) + "; the folder " + folder +
           " was not found.";
}
