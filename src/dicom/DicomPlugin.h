#pragma once

#include <string>
#include <vector>

class DicomChecks;

// The plugin that holds the DICOM checks: "quarvel-dicom.so" on Linux,
// "quarvel-dicom.dll" on Windows.
extern const char* const kDicomPluginFileName;

// Where the programs look for the plugin, in turn: beside the program (the
// build tree, Windows' installation folder), then where the installation
// puts it relative to the program (Linux: <prefix>/lib/<arch>/quarvel from
// <prefix>/bin).
std::vector<std::string> dicomPluginFolders(const std::string& programFolder);

// The checks of the first plugin found in folders, loaded for the rest of
// the process. Null, with the message for the user in error, when none is
// there or it cannot be loaded.
DicomChecks* loadDicomChecks(const std::vector<std::string>& folders, std::string& error);

// The same from the folders of the running program, loaded once per process;
// later calls return the same checks (or the same error).
DicomChecks* dicomChecks(std::string& error);
