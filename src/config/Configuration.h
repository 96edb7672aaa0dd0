#pragma once

#include <string>

#include "config/RecordLists.h"
#include "config/Records.h"
#include "config/TextEncoding.h"

struct ReaderFindings;

// The whole configuration of the print server as the editor holds it. Built
// with the server's defaults; a load reads on top of what it holds.
class Configuration {
  public:
    Configuration() = default;
    Configuration(const Configuration&) = delete;
    Configuration& operator=(const Configuration&) = delete;

    // Writes the whole record to path (keeping a backup of the file it
    // replaces). message is always set: the outcome for the user.
    bool saveToFile(const std::string& path, std::string& message) const;

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
    std::string PrinterName;
    std::string Manufacturer; // as read; the writer always writes its own text
    bool UseCMYK = false;
    bool SupportsColorImage = true;
    bool BasicGrayscaleMetaSOPClass = true;
    bool BasicColorMetaSOPClass = true;
    bool Annotation = false;
    bool PrintJob = false;
    bool LenientMode = true;
    bool IgnoreMagnificationType = true;
    bool IgnoreConfigurationInformation = true;
    bool IgnoreAnnotationFormat = true;
    bool SkipImagePixel = true;
    int Copies = 1;
    int Priority = 1;    // MED
    int MediumType = 0;  // PAPER
    int Destination = 0; // MAGAZINE
    std::string Label = "DICOM Print Session #";
    int Port = 104;
    std::string ServerAETitle = "ZELNORSRV";
    bool CheckAETitles = false;
    bool IncludeLabel = false;
    int LabelSize = 12;
    int PositionX = 20;
    int PositionY = 10;
    std::string Text = "<your institution>";
    LayoutRecord Layout;

    // How the texts' bytes are to be read, as found in the last file read;
    // never written to the file.
    TextEncoding Encoding = TextEncoding::Windows1252;
};
