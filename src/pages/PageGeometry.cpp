#include "pages/PageGeometry.h"

#include <algorithm>

#include "config/Vocabulary.h"

namespace {

// Edges of a rectangle in the printer's own frame, in points.
struct Edges {
    double left;
    double bottom;
    double right;
    double top;
};

QRectF toRect(const Edges& e)
{
    return QRectF(e.left, e.bottom, e.right - e.left, e.top - e.bottom);
}

// The printer's frame seen on a page turned to landscape: the content's x
// axis runs up the printer's y axis and its origin sits at the printer's
// bottom-right corner, so (x, y) is seen at (y, SizeX - x).
Edges turned(const Edges& e, double sizeX)
{
    return Edges{e.bottom, sizeX - e.right, e.top, sizeX - e.left};
}

void layOutImages(PageGeometry& g, const LayoutSample& layout)
{
    const int columns = std::max(1, layout.Columns);
    const int rows = std::max(1, layout.Rows);
    // A negative distance is drawn as none: boxes never overlap here.
    const double gap = std::max(0.0, layout.ImageDistance);
    const QRectF& area = g.Printable;
    const double width = (area.width() - (columns - 1) * gap) / columns;
    const double height = (area.height() - (rows - 1) * gap) / rows;
    if (width <= 0 || height <= 0) {
        g.NoRoomForImages = true;
        return;
    }
    const double trim = layout.Trim ? std::clamp(layout.TrimWidth, 0.0, std::min(width, height) / 2) : 0.0;
    const double top = area.y() + area.height();
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const QRectF box(area.x() + column * (width + gap), top - (row + 1) * height - row * gap, width, height);
            g.Boxes.push_back(box);
            g.Images.push_back(box.adjusted(trim, trim, -trim, -trim));
        }
    }
}

} // namespace

int densityValue(int mode, int number)
{
    if (mode == DensityWhite)
        return 256;
    if (mode == DensityCustom)
        return number;
    return 0;
}

PageGeometry computePageGeometry(const PaperRecord& paper, const LayoutSample* layout)
{
    PageGeometry g;
    // Sums in double: the fields may hold any 32-bit value.
    const double sizeX = paper.SizeX;
    const double sizeY = paper.SizeY;
    g.HasSheet = sizeX > 0 && sizeY > 0;
    if (!g.HasSheet)
        return g;

    Edges nominal{double(paper.SkipX), double(paper.SkipY), sizeX - paper.SkipX, sizeY - paper.SkipY};
    Edges moved{nominal.left + paper.OffsetX, nominal.bottom + paper.OffsetY, nominal.right + paper.OffsetX,
                nominal.top + paper.OffsetY};
    g.Sheet = QSizeF(sizeX, sizeY);
    if (layout && layout->Landscape) {
        nominal = turned(nominal, sizeX);
        moved = turned(moved, sizeX);
        g.Sheet = QSizeF(sizeY, sizeX);
    }

    g.Nominal = toRect(nominal);
    g.NoPrintableArea = moved.right <= moved.left || moved.top <= moved.bottom;
    // Without an area the rectangle still marks where the borders meet.
    g.Printable = toRect(moved).normalized();
    if (g.NoPrintableArea)
        return g;

    const double sheetWidth = g.Sheet.width();
    const double sheetHeight = g.Sheet.height();
    g.OffSheet = moved.left < 0 || moved.bottom < 0 || moved.right > sheetWidth || moved.top > sheetHeight;
    g.EntirelyOff = moved.left >= sheetWidth || moved.right <= 0 || moved.bottom >= sheetHeight || moved.top <= 0;
    if (layout)
        layOutImages(g, *layout);
    return g;
}
