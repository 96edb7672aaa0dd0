#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <vector>

class PagePreview;
class QFontMetrics;
struct PageGeometry;

// The texts of the page preview, apart from its painting: the legend below
// the picture, the warnings above it and the labels beside the sheet.

// One line of the legend: a colour swatch and what it stands for.
struct LegendLine {
    QColor swatch; // invalid: a line of text only
    QString text;
};

// What the colours and directions mean, line by line, for the preview's
// paper and layout as placed in g; nothing without a sheet.
std::vector<LegendLine> previewLegend(const PagePreview& preview, const PageGeometry& g);

// Why nothing is shown (no paper, no sheet), or what is wrong with the
// numbers (no printable area, off the sheet, no room for the images).
QStringList previewWarnings(const PagePreview& preview, const PageGeometry& g);

// The band that stands for a header that cannot be shown: "NAME: not listed",
// "NAME: no file" or "NAME: unreadable".
QString headerBandLabel(const PagePreview& preview);

// A length of the sheet as written along its edge: "595 pt / 209.9 mm", only
// "595 pt" when that does not fit into room pixels, nothing when neither does.
QString sheetLengthLabel(double length, const QFontMetrics& metrics, int room);
