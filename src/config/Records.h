#pragma once

#include <string>

#include "config/FieldText.h"

// Plain records of the configuration. Field names follow the keys of the
// configuration file; all lengths are PostScript points. The editor's rules
// for their values (ranges, densities) are in the key tables, ConfigKeys.h.
// The records of the lists, of which a file may hold a million, keep their
// texts as FieldText (16 bytes, short texts in place); the records of which
// there is one keep std::string.

struct PrinterRecord {
    FieldText Description;
    FieldText PrinterAETitle;
    FieldText PrinterAddress;
    FieldText PrinterQueue;
    bool UseGrayGraduation = false;
    bool UseColorGraduation = false;
    bool UseRedGraduation = false;
    bool UseGreenGraduation = false;
    bool UseBlueGraduation = false;
    FieldText GrayGraduationFile;
    FieldText ColorGraduationFile;
    FieldText RedGraduationFile;
    FieldText GreenGraduationFile;
    FieldText BlueGraduationFile;
};

struct PaperRecord {
    FieldText Name;
    FieldText Description;
    FieldText PaperLabel;
    FieldText HeaderName;
    int SizeX = 0;
    int SizeY = 0;
    int SkipX = 0;
    int SkipY = 0;
    int OffsetX = 0;
    int OffsetY = 0;
};

struct HeaderRecord {
    FieldText Name;
    FieldText IncludeFile;
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
