#pragma once

#include <string>

// Plain records of the configuration. Field names follow the keys of the
// configuration file; all lengths are PostScript points. The editor's rules
// for their values (ranges, densities) are in the key tables, ConfigKeys.h.

struct PrinterRecord {
    std::string Description;
    std::string PrinterAETitle;
    std::string PrinterAddress;
    std::string PrinterQueue;
    bool UseGrayGraduation = false;
    bool UseColorGraduation = false;
    bool UseRedGraduation = false;
    bool UseGreenGraduation = false;
    bool UseBlueGraduation = false;
    std::string GrayGraduationFile;
    std::string ColorGraduationFile;
    std::string RedGraduationFile;
    std::string GreenGraduationFile;
    std::string BlueGraduationFile;
};

struct PaperRecord {
    std::string Name;
    std::string Description;
    std::string PaperLabel;
    std::string HeaderName;
    int SizeX = 0;
    int SizeY = 0;
    int SkipX = 0;
    int SkipY = 0;
    int OffsetX = 0;
    int OffsetY = 0;
};

struct HeaderRecord {
    std::string Name;
    std::string IncludeFile;
};

struct LayoutRecord {
    std::string Description = "Standard Layout";
    double TrimWidth = 5.0;
    double ImageDistance = 14.17;
    int Orientation = 0; // PORTRAIT
    std::string PageSize;
    bool Trim = false;
    std::string BorderDensity = "WHITE";
    std::string EmptyImageDensity = "WHITE";

    bool operator==(const LayoutRecord&) const = default;
};

// The DICOM side of the server: what its clients see and how it treats
// their requests. The DICOM page edits it as one record.
struct DicomSettings {
    std::string PrinterName;
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

    bool operator==(const DicomSettings&) const = default;
};

// The label the server prints on every page, where and how large.
struct PageLabelSettings {
    bool IncludeLabel = false;
    int LabelSize = 12;
    int PositionX = 20;
    int PositionY = 10;
    std::string Text = "<your institution>";

    bool operator==(const PageLabelSettings&) const = default;
};
