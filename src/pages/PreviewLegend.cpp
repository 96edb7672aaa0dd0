#include "pages/PreviewLegend.h"

#include <QFontMetrics>

#include "pages/PageGeometry.h"
#include "pages/PagePreview.h"

namespace {

QString points(double value)
{
    return QString::number(value, 'g', 10);
}

QString millimetres(double points)
{
    return QString::number(points * 25.4 / 72.0, 'f', 1);
}

// Why a chosen header shows as a band.
QString headerFault(const PagePreview& preview)
{
    if (!preview.headerListed())
        return QStringLiteral("not listed");
    return preview.headerFile().isEmpty() ? QStringLiteral("no file") : QStringLiteral("unreadable");
}

} // namespace

std::vector<LegendLine> previewLegend(const PagePreview& preview, const PageGeometry& g)
{
    std::vector<LegendLine> items;
    if (!preview.hasPaper() || !g.HasSheet)
        return items;
    const PaperRecord& p = preview.paper();
    const auto& layout = preview.layoutSample();
    const double width = g.Sheet.width();
    const double height = g.Sheet.height();
    items.push_back({QColor(), QStringLiteral("Sheet %1 \u00d7 %2 pt (%3 \u00d7 %4 mm)")
                                   .arg(points(width), points(height), millimetres(width), millimetres(height))});
    items.push_back(
        {PagePreview::kUnprintable, QStringLiteral("Unprintable: SkipX %1, SkipY %2 pt").arg(p.SkipX).arg(p.SkipY)});
    if (!g.NoPrintableArea)
        items.push_back({PagePreview::kPrintable, QStringLiteral("Printable %1 \u00d7 %2 pt")
                                                      .arg(points(g.Printable.width()), points(g.Printable.height()))});
    // The direction of the offsets as the file format gives it: the whole
    // page moves right and up. A turned sheet turns those directions too.
    if (layout && layout->Landscape)
        items.push_back({QColor(), QStringLiteral("Turned for LANDSCAPE: +OffsetX moves it down, +OffsetY right "
                                                  "(now %1, %2)")
                                       .arg(p.OffsetX)
                                       .arg(p.OffsetY)});
    else
        items.push_back(
            {QColor(),
             QStringLiteral("+OffsetX moves it right, +OffsetY up (now %1, %2)").arg(p.OffsetX).arg(p.OffsetY)});
    const QString& header = preview.headerName();
    if (!header.isEmpty()) {
        if (preview.headerReadable())
            items.push_back({QColor(), QStringLiteral("Header %1 on top").arg(header)});
        else
            items.push_back(
                {PagePreview::kHeaderBand, QStringLiteral("Header %1: %2").arg(header, headerFault(preview))});
    }
    if (layout) {
        items.push_back({PagePreview::densityColor(layout->EmptyImageDensity),
                         QStringLiteral("%1 \u00d7 %2 images %3 pt apart (empty density %4)")
                             .arg(layout->Columns)
                             .arg(layout->Rows)
                             .arg(points(layout->ImageDistance))
                             .arg(layout->EmptyImageDensity)});
        if (layout->Trim)
            items.push_back({PagePreview::densityColor(layout->BorderDensity),
                             QStringLiteral("Trim %1 pt inside each box (border density %2)")
                                 .arg(points(layout->TrimWidth))
                                 .arg(layout->BorderDensity)});
        else
            items.push_back({QColor(), QStringLiteral("No trim")});
        items.push_back({QColor(), QStringLiteral("Density n: grey n/256 (BLACK 0 black, WHITE 256 white)")});
    }
    if (g.NoPrintableArea || g.OffSheet || g.NoRoomForImages)
        items.push_back({PagePreview::kWarning, QStringLiteral("Off the sheet or no room")});
    return items;
}

QStringList previewWarnings(const PagePreview& preview, const PageGeometry& g)
{
    QStringList lines;
    if (!preview.hasPaper()) {
        lines << preview.missingPaperReason();
        return lines;
    }
    if (!g.HasSheet) {
        lines << QStringLiteral("No sheet: width and height must be above 0.");
        return lines;
    }
    if (g.NoPrintableArea)
        lines << QStringLiteral("No printable area: the borders (SkipX, SkipY) leave nothing of the sheet.");
    else if (g.EntirelyOff)
        lines << QStringLiteral("The offsets move the printable area off the sheet.");
    else if (g.OffSheet)
        lines << QStringLiteral("The offsets move part of the printable area off the sheet.");
    if (g.NoRoomForImages)
        lines << QStringLiteral("The image distance leaves no room for the images.");
    return lines;
}

QString headerBandLabel(const PagePreview& preview)
{
    return QStringLiteral("%1: %2").arg(preview.headerName(), headerFault(preview));
}

QString sheetLengthLabel(double length, const QFontMetrics& metrics, int room)
{
    const QString full = QStringLiteral("%1 pt / %2 mm").arg(points(length), millimetres(length));
    if (metrics.horizontalAdvance(full) <= room)
        return full;
    const QString brief = QStringLiteral("%1 pt").arg(points(length));
    return metrics.horizontalAdvance(brief) <= room ? brief : QString();
}
