#include "platform/SaveMessages.h"

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
