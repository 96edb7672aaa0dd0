#pragma once

#include <string>

// The texts of a save, the same from both systems' writers.

// That path was saved, naming the backup the old file was kept under, if any.
std::string savedMessage(const std::string& path, const std::string& backupName);

// The line added when a backup copy failed halfway and could not be removed;
// empty when there is none (leftover empty).
std::string incompleteBackupNote(const std::string& leftover);

// Another writer held the file's lock for the whole wait.
std::string lockBusyMessage(const std::string& path, int waitSeconds);

// A new file could not be made at path because its folder is not there:
// the system's words for it and the folder it names.
std::string missingFolderMessage(const std::string& path);
