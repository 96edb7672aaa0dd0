#include "config/ConfigKeys.h"

#include "config/NumberText.h"

const WordList kPriorityWords{PriorityText, PriorityCode};
const WordList kMediumWords{MediumText, MediumCode};
const WordList kDestinationWords{DestinationText, DestinationCode};
const WordList kOrientationWords{OrientationText, OrientationCode};

namespace {

using Config = CConfiguration;

// The count of the list, not the field: the field only keeps what a file said.
std::string WrittenPrinterCount(const Config& config)
{
    return FormatInteger(config.Printers.GetCount());
}

// The server's maker is fixed; what a file says is kept but never written.
std::string WrittenManufacturer(const Config&)
{
    return "Ardeval Ltd.";
}

template <typename Record> constexpr KeyDef<Record> WrittenAs(KeyDef<Record> def, std::string (*written)(const Record&))
{
    def.written = written;
    return def;
}

template <typename Record> constexpr KeyDef<Record> ReadOnly(KeyDef<Record> def)
{
    def.readOnly = true;
    return def;
}

const KeyDef<Config> kGeneralPrinterKeys[] = {
    YesNoKey("DeleteJobFile", &Config::DeleteJobFile, true),
    // The key's old misspelling, still accepted.
    ReadOnly(YesNoKey("SurpressPrinting", &Config::SuppressPrinting, false)),
    YesNoKey("SuppressPrinting", &Config::SuppressPrinting, false),
    YesNoKey("Asynchronous", &Config::Asynchronous, true),
    WrittenAs(IntegerKey("Printer", &Config::Printer), WrittenPrinterCount),
};

const KeyDef<sPrinter> kPrinterKeys[] = {
    TextKey("Description", &sPrinter::Description),
    TextKey("PrinterAETitle", &sPrinter::PrinterAETitle),
    TextKey("PrinterAddress", &sPrinter::PrinterAddress),
    TextKey("PrinterQueue", &sPrinter::PrinterQueue),
    YesNoKey("UseGrayGraduation", &sPrinter::UseGrayGraduation, false),
    TextKey("GrayGraduationFile", &sPrinter::GrayGraduationFile),
    YesNoKey("UseColorGraduation", &sPrinter::UseColorGraduation, false),
    TextKey("ColorGraduationFile", &sPrinter::ColorGraduationFile),
    YesNoKey("UseRedGraduation", &sPrinter::UseRedGraduation, false),
    TextKey("RedGraduationFile", &sPrinter::RedGraduationFile),
    YesNoKey("UseGreenGraduation", &sPrinter::UseGreenGraduation, false),
    TextKey("GreenGraduationFile", &sPrinter::GreenGraduationFile),
    YesNoKey("UseBlueGraduation", &sPrinter::UseBlueGraduation, false),
    TextKey("BlueGraduationFile", &sPrinter::BlueGraduationFile),
};

const KeyDef<Config> kDicomPrinterGeneralKeys[] = {
    TextKey("PrinterName", &Config::PrinterName),
    WrittenAs(TextKey("Manufacturer", &Config::Manufacturer), WrittenManufacturer),
};

const KeyDef<Config> kDicomLabelKeys[] = {
    YesNoKey("IncludeLabel", &Config::IncludeLabel, false),
    IntegerKey("LabelSize", &Config::LabelSize),
    IntegerKey("PositionX", &Config::PositionX),
    IntegerKey("PositionY", &Config::PositionY),
    TextKey("Text", &Config::Text),
};

const KeyDef<Config> kDicomPostScriptKeys[] = {
    YesNoKey("SupportsColorImage", &Config::SupportsColorImage, true),
    YesNoKey("UseCMYK", &Config::UseCMYK, true),
};

const KeyDef<Config> kServiceClassKeys[] = {
    YesNoKey("BasicGrayscaleMetaSOPClass", &Config::BasicGrayscaleMetaSOPClass, true),
    YesNoKey("BasicColorMetaSOPClass", &Config::BasicColorMetaSOPClass, true),
    YesNoKey("Annotation", &Config::Annotation, false),
    YesNoKey("PrintJob", &Config::PrintJob, false),
};

const KeyDef<Config> kCompatibilityKeys[] = {
    YesNoKey("LenientMode", &Config::LenientMode, true),
    YesNoKey("IgnoreMagnificationType", &Config::IgnoreMagnificationType, true),
    YesNoKey("IgnoreConfigurationInformation", &Config::IgnoreConfigurationInformation, true),
    YesNoKey("IgnoreAnnotationFormat", &Config::IgnoreAnnotationFormat, true),
    YesNoKey("SkipImagePixel", &Config::SkipImagePixel, true),
};

const KeyDef<Config> kSessionKeys[] = {
    IntegerKey("Copies", &Config::Copies),
    WordKey("Priority", &Config::Priority, kPriorityWords),
    WordKey("MediumType", &Config::MediumType, kMediumWords),
    WordKey("Destination", &Config::Destination, kDestinationWords),
    TextKey("Label", &Config::Label),
};

const KeyDef<Config> kServerKeys[] = {
    IntegerKey("Port", &Config::Port),
    TextKey("ServerAETitle", &Config::ServerAETitle),
    YesNoKey("CheckAETitles", &Config::CheckAETitles, false),
};

const KeyDef<sPaper> kPaperKeys[] = {
    TextKey("Description", &sPaper::Description), TextKey("PaperLabel", &sPaper::PaperLabel),
    TextKey("HeaderName", &sPaper::HeaderName),   IntegerKey("SizeX", &sPaper::SizeX),
    IntegerKey("SizeY", &sPaper::SizeY),          IntegerKey("SkipX", &sPaper::SkipX),
    IntegerKey("SkipY", &sPaper::SkipY),          IntegerKey("OffsetX", &sPaper::OffsetX),
    IntegerKey("OffsetY", &sPaper::OffsetY),
};

const KeyDef<sHeader> kHeaderKeys[] = {
    TextKey("IncludeFile", &sHeader::IncludeFile),
};

const KeyDef<sLayout> kLayoutGeneralKeys[] = {
    TextKey("Description", &sLayout::Description),
    RealKey("ImageDistance", &sLayout::ImageDistance),
    RealKey("TrimWidth", &sLayout::TrimWidth),
};

const KeyDef<sLayout> kLayoutDefaultsKeys[] = {
    WordKey("Orientation", &sLayout::Orientation, kOrientationWords),
    YesNoKey("Trim", &sLayout::Trim, false),
    TextKey("BorderDensity", &sLayout::BorderDensity),
    TextKey("EmptyImageDensity", &sLayout::EmptyImageDensity),
    TextKey("PageSize", &sLayout::PageSize),
};

constexpr SectionDef Settings(std::string_view level3, std::string_view level2, std::string_view level1,
                              std::span<const KeyDef<Config>> keys)
{
    return {level3, level2, level1, SectionKind::Settings, keys, {}};
}

constexpr SectionDef Layout(std::string_view level1, std::span<const KeyDef<sLayout>> keys)
{
    return {"LAYOUTS", "STANDARD", level1, SectionKind::Layout, {}, keys};
}

const SectionDef kSections[] = {
    Settings("PRINTER", "SETTINGS", "GENERAL", kGeneralPrinterKeys),
    {"PRINTER", "SETTINGS", "", SectionKind::Printers, {}, {}},
    Settings("DICOM", "PRINTER", "General", kDicomPrinterGeneralKeys),
    Settings("DICOM", "PRINTER", "Label", kDicomLabelKeys),
    Settings("DICOM", "PRINTER", "PostScript", kDicomPostScriptKeys),
    Settings("DICOM", "DIMSE", "Service Classes", kServiceClassKeys),
    Settings("DICOM", "DIMSE", "Compatibility", kCompatibilityKeys),
    Settings("DICOM", "SESSION", "General", kSessionKeys),
    Settings("DICOM", "TCPIP", "Server", kServerKeys),
    {"CONFIGURATION", "PAGE SIZE", "", SectionKind::Papers, {}, {}},
    {"HEADER", "STANDARD", "", SectionKind::Headers, {}, {}},
    Layout("General", kLayoutGeneralKeys),
    Layout("Defaults", kLayoutDefaultsKeys),
};

} // namespace

std::span<const SectionDef> FileSections()
{
    return kSections;
}

std::span<const KeyDef<sPrinter>> PrinterKeys()
{
    return kPrinterKeys;
}

std::span<const KeyDef<sPaper>> PaperKeys()
{
    return kPaperKeys;
}

std::span<const KeyDef<sHeader>> HeaderKeys()
{
    return kHeaderKeys;
}
