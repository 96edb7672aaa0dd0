#pragma once

#include <string>

// The texts of a successful save, the same from both systems' writers.

// That path was saved, naming the backup the old file was kept under, if any.
std::string savedMessage(const std::string& path, const std::string& backupName);

// The line added when a backup copy failed halfway and could not be removed;
// empty when there is none (leftover empty).
std::string incompleteBackupNote(const std::string& leftover);
