#include "config/WizardResult.h"

#include "config/Configuration.h"
#include "config/NumberText.h"
#include "config/StandardPaperSizes.h"
#include "config/Vocabulary.h"

std::string buildWizardSummary(const WizardResult& r)
{
    return "Configured values that might be set on the print clients:\r\n\r\n"
           "[NETWORK]\r\n"
           "AETITLE:\t\t\t" +
           r.PrinterAETitle +
           "\r\n"
           "HOST:\t\t\t{IP address or hostname of the ZELNOR server machine}\r\n"
           "PORT:\t\t\t" +
           formatInteger(r.Port) +
           "\r\n"
           "\r\n"
           "[LAYOUT]\r\n"
           "SIZE:\t\t\t" +
           r.PaperName +
           "\r\n"
           "ORIENTATION:\t\t" +
           orientationText(r.Orientation) +
           "\r\n"
           "MAGNIFICATION:\t\tBILINEAR\r\n"
           "BORDERDENSITY:\t\t" +
           r.BorderDensity +
           "\r\n"
           "EMPTYIMAGEDENSITY:\t" +
           r.EmptyImageDensity +
           "\r\n"
           "TRIM:\t\t\t" +
           yesNoText(r.Trim);
}

void applyWizardResult(const WizardResult& r, Configuration& config)
{
    PrinterRecord printer;
    printer.Description = r.PrinterDescription;
    printer.PrinterAETitle = r.PrinterAETitle;
    printer.PrinterAddress = r.PrinterAddress;
    printer.PrinterQueue = r.PrinterQueue;
    config.Printers.add(printer);

    const PaperSizeLookup format = lookupStandardPaperSizeForWizard(r.PaperFormat);
    PaperRecord paper;
    paper.Name = r.PaperName;
    paper.Description = format.label + " (named as " + r.PaperName + ")";
    paper.PaperLabel = format.label;
    paper.SizeX = format.width;
    paper.SizeY = format.height;
    paper.SkipX = 20;
    paper.SkipY = 20;
    paper.OffsetX = 0;
    paper.OffsetY = 0;
    config.Papers.add(paper);

    config.SupportsColorImage = r.ColorPrinter;
    config.PrinterName = r.ServerName;
    config.BasicGrayscaleMetaSOPClass = r.GrayscaleClass;
    config.BasicColorMetaSOPClass = r.ColorClass;
    config.Port = r.Port;
    config.Layout.ImageDistance = r.ImageDistance;
    config.Layout.BorderDensity = r.BorderDensity;
    config.Layout.EmptyImageDensity = r.EmptyImageDensity;
    config.Layout.Trim = r.Trim;
    config.Layout.Orientation = r.Orientation != 0 ? 1 : 0;
    config.Layout.PageSize = r.PaperName;
}
