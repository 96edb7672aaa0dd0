#pragma once

#include <string>

// Plain records of the configuration. Field names follow the keys of the
// configuration file; all lengths are PostScript points.

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
};
