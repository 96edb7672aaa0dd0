#pragma once

#include <string>

#include "config/RecordLists.h"
#include "config/Records.h"
#include "config/TextEncoding.h"

struct ReaderFindings;
struct SaveOptions;

// The whole configuration of the print server as the editor holds it. Built
// with the server's defaults; a load reads on top of what it holds. The
// DICOM settings and the page label are records of their own, so that a
// page can edit each as a whole; their fields are the configuration's.
class Configuration : public DicomSettings, public PageLabelSettings {
  public:
    Configuration() = default;
    Configuration(const Configuration&) = delete;
    Configuration& operator=(const Configuration&) = delete;

    // Writes the whole record to path (keeping a backup of the file it
    // replaces). message is always set: the outcome for the user.
    bool saveToFile(const std::string& path, std::string& message) const;
    bool saveToFile(const std::string& path, std::string& message, const SaveOptions& options) const;

    // Applies the lines of the file at path on top of this record. message
    // is set only on failure. Given findings, also notes each line that a
    // save would not give back as it was.
    bool loadFromFile(const std::string& path, std::string& message, ReaderFindings* findings = nullptr);

    bool SuppressPrinting = false;
    bool DeleteJobFile = true;
    bool Asynchronous = true;
    int Printer = 0; // as stated by the last file read; never used for the list
    PrinterList Printers;
    PaperList Papers;
    HeaderList Headers;
    std::string Manufacturer; // as read; the writer always writes its own text
    std::string ServerAETitle = "ZELNORSRV";
    bool CheckAETitles = false;
    LayoutRecord Layout;

    // How the texts' bytes are to be read, as found in the last file read;
    // never written to the file.
    TextEncoding Encoding = TextEncoding::Windows1252;
};
