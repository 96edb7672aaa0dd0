#include "pages/PagePreview.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

#include "pages/PreviewLegend.h"

const QColor PagePreview::kSheet(0xff, 0xff, 0xff);
const QColor PagePreview::kSheetEdge(0x27, 0x36, 0x4f);
const QColor PagePreview::kUnprintable(0xc4, 0xc8, 0xce);
const QColor PagePreview::kPrintable(0xd2, 0xe4, 0xfa);
const QColor PagePreview::kPrintableEdge(0x2f, 0x6f, 0xd0);
const QColor PagePreview::kWarning(0xe8, 0x43, 0x2e);
const QColor PagePreview::kHeaderBand(0xf6, 0xd2, 0x6b);

namespace {

constexpr int kPadding = 4;
constexpr int kSwatch = 10;
constexpr int kMinimumWidth = 140;
constexpr int kMinimumHeight = 150;
const QColor kWarningText(0xb0, 0x20, 0x10);

// Points of the view (y upwards) to pixels of the widget (y downwards), at
// one scale for both axes so that the sheet keeps its aspect ratio.
class Mapper {
  public:
    Mapper(const QRectF& view, const QRect& area) : m_view(view)
    {
        m_scale = std::min(area.width() / view.width(), area.height() / view.height());
        m_left = area.x() + (area.width() - m_scale * view.width()) / 2 - m_scale * view.x();
        m_top = area.y(); // at the top: the legend follows right below
    }

    int x(double x) const { return static_cast<int>(std::lround(m_left + m_scale * x)); }
    int y(double y) const
    {
        return static_cast<int>(std::lround(m_top + m_scale * (m_view.y() + m_view.height() - y)));
    }
    // The pixels a rectangle covers. Its edges are held inside the view
    // first, so that far away parts cannot overflow the pixel coordinates;
    // a rectangle wholly outside becomes an empty one at the view's edge.
    QRect pixels(const QRectF& points) const
    {
        const QRectF r = points.normalized();
        const double x0 = std::clamp(r.x(), m_view.x(), m_view.x() + m_view.width());
        const double x1 = std::clamp(r.x() + r.width(), m_view.x(), m_view.x() + m_view.width());
        const double y0 = std::clamp(r.y(), m_view.y(), m_view.y() + m_view.height());
        const double y1 = std::clamp(r.y() + r.height(), m_view.y(), m_view.y() + m_view.height());
        const int left = x(x0);
        const int top = y(y1);
        return QRect(left, top, x(x1) - left, y(y0) - top);
    }

  private:
    QRectF m_view;
    double m_scale = 1;
    double m_left = 0;
    double m_top = 0;
};

// The height of a text wrapped to a width.
int wrappedHeight(const QFontMetrics& metrics, int width, const QString& text)
{
    return metrics.boundingRect(QRect(0, 0, std::max(1, width), 10000), Qt::TextWordWrap, text).height();
}

// A rectangle held inside a limit, keeping at least a sliver of it at the
// limit's edge when it lies beyond.
QRectF reachable(const QRectF& r, const QRectF& limit, double sliver)
{
    const double left = limit.x();
    const double right = limit.x() + limit.width();
    const double bottom = limit.y();
    const double top = limit.y() + limit.height();
    const double x0 = std::clamp(r.x(), left, right - sliver);
    const double x1 = std::clamp(r.x() + r.width(), left + sliver, right);
    const double y0 = std::clamp(r.y(), bottom, top - sliver);
    const double y1 = std::clamp(r.y() + r.height(), bottom + sliver, top);
    return QRectF(QPointF(x0, y0), QPointF(std::max(x0, x1), std::max(y0, y1)));
}

QRect atLeast(QRect r, int size)
{
    if (r.width() < size)
        r.adjust(-(size - r.width()) / 2, 0, (size - r.width() + 1) / 2, 0);
    if (r.height() < size)
        r.adjust(0, -(size - r.height()) / 2, 0, (size - r.height() + 1) / 2);
    return r;
}

} // namespace

PagePreview::PagePreview(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAccessibleName(QStringLiteral("Page preview"));
    changed();
}

void PagePreview::setPaper(const PaperRecord& paper)
{
    m_paper = paper;
    m_hasPaper = true;
    m_reason.clear();
    changed();
}

void PagePreview::clearPaper(const QString& reason)
{
    m_hasPaper = false;
    m_reason = reason;
    changed();
}

void PagePreview::setHeader(const QString& name, bool listed, const QString& file)
{
    if (name == m_headerName && listed == m_headerListed && file == m_headerFile)
        return;
    m_headerName = name;
    m_headerListed = listed;
    m_headerFile = file;
    // Only a listed header has a file; QImage reads BMP and PNG among others
    // and stays null when the file is missing or not an image.
    m_headerImage = (!name.isEmpty() && listed && !file.isEmpty()) ? QImage(file) : QImage();
    changed();
}

void PagePreview::setLayoutSample(const LayoutSample& sample)
{
    m_layout = sample;
    changed();
}

PageGeometry PagePreview::geometry() const
{
    return computePageGeometry(m_paper, m_layout ? &*m_layout : nullptr);
}

QStringList PagePreview::legend() const
{
    QStringList lines;
    for (const LegendLine& line : previewLegend(*this, geometry()))
        lines << line.text;
    return lines;
}

QStringList PagePreview::warnings() const
{
    return previewWarnings(*this, geometry());
}

QColor PagePreview::densityColor(int density)
{
    const int grey = static_cast<int>(std::lround(std::clamp(density, 0, 256) * 255.0 / 256.0));
    return QColor(grey, grey, grey);
}

QSize PagePreview::sizeHint() const
{
    // No larger than the minimum: the windows give the preview what is left
    // over, so that on a small screen it gives way before any field does.
    return minimumSizeHint();
}

QSize PagePreview::minimumSizeHint() const
{
    return QSize(kMinimumWidth, kMinimumHeight);
}

void PagePreview::changed()
{
    QStringList lines = warnings();
    lines << legend();
    setToolTip(lines.join(QLatin1Char('\n')));
    update();
}

void PagePreview::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    QRect area = rect().adjusted(kPadding, kPadding, -kPadding, -kPadding);
    if (area.width() < 8 || area.height() < 8)
        return;

    QFont small = font();
    small.setPointSizeF(std::max(6.5, small.pointSizeF() * 0.85));
    painter.setFont(small);
    const QFontMetrics metrics(small);
    const PageGeometry g = geometry();

    // Warnings first, in their colour at the top; a missing sheet is only
    // said, in the middle.
    const QStringList warned = warnings();
    if (!m_hasPaper || !g.HasSheet) {
        painter.setPen(m_hasPaper ? kWarningText : palette().color(QPalette::WindowText));
        painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, warned.join(QLatin1Char('\n')));
        return;
    }
    for (const QString& line : warned) {
        const int height = wrappedHeight(metrics, area.width(), line);
        if (area.height() - height < 60)
            break;
        painter.setPen(kWarningText);
        painter.drawText(QRect(area.x(), area.y(), area.width(), height), Qt::TextWordWrap, line);
        area.setTop(area.top() + height + 2);
    }

    // The legend below the picture while the picture keeps enough room.
    const std::vector<LegendLine> items = previewLegend(*this, g);
    const int textWidth = area.width() - kSwatch - 4;
    int legendHeight = 0;
    for (const LegendLine& item : items)
        legendHeight += std::max(kSwatch, wrappedHeight(metrics, textWidth, item.text)) + 2;
    const bool legend = area.height() - legendHeight >= std::max(90, area.height() / 2);
    const QRect legendRoom = area;
    if (legend)
        area.setBottom(area.bottom() - legendHeight - 6);

    // Room for the dimensions above and to the left of the sheet.
    const bool dimensions = area.width() >= 80 && area.height() >= 80;
    if (dimensions)
        area.adjust(metrics.height() + 2, metrics.height() + 2, 0, 0);

    // The view: the sheet and wherever the printable area went, but no
    // further than half the sheet's larger side beyond its edges; an area
    // further off is drawn as a sliver at that limit.
    const QRectF sheet(0, 0, g.Sheet.width(), g.Sheet.height());
    const double reach = std::max(sheet.width(), sheet.height()) / 2;
    const QRectF drawn = reachable(g.Printable, sheet.adjusted(-reach, -reach, reach, reach), reach / 10);
    const QRectF view = sheet.united(drawn);
    const Mapper map(view, area);
    painter.setClipRect(area);

    painter.fillRect(map.pixels(sheet), kSheet);
    // The four unprintable borders, where the printable area would lie
    // without offsets.
    const double left = g.Nominal.x();
    const double right = g.Nominal.x() + g.Nominal.width();
    const double bottom = g.Nominal.y();
    const double top = g.Nominal.y() + g.Nominal.height();
    const QRectF borders[] = {
        QRectF(0, 0, std::clamp(left, 0.0, sheet.width()), sheet.height()),
        QRectF(std::clamp(right, 0.0, sheet.width()), 0, sheet.width() - std::clamp(right, 0.0, sheet.width()),
               sheet.height()),
        QRectF(0, 0, sheet.width(), std::clamp(bottom, 0.0, sheet.height())),
        QRectF(0, std::clamp(top, 0.0, sheet.height()), sheet.width(),
               sheet.height() - std::clamp(top, 0.0, sheet.height())),
    };
    for (const QRectF& border : borders)
        if (border.width() > 0 && border.height() > 0)
            painter.fillRect(map.pixels(border), kUnprintable);

    if (g.NoPrintableArea) {
        // Where the borders meet or cross: a mark that cannot be missed.
        painter.fillRect(atLeast(map.pixels(drawn), 3), kWarning);
    } else {
        const QRect printable = map.pixels(drawn);
        painter.fillRect(printable, kPrintable);
        painter.setPen(kPrintableEdge);
        painter.drawRect(printable.adjusted(0, 0, -1, -1));

        if (!m_headerName.isEmpty() && !m_layout) {
            const QRectF& room = g.Printable;
            const double topEdge = room.y() + room.height();
            if (!m_headerImage.isNull()) {
                // Across the printable area's width, at most a quarter of
                // its height, keeping the bitmap's proportions.
                double width = room.width();
                double height = width * m_headerImage.height() / m_headerImage.width();
                if (height > room.height() / 4) {
                    height = room.height() / 4;
                    width = height * m_headerImage.width() / m_headerImage.height();
                }
                const QRectF target(room.x() + (room.width() - width) / 2, topEdge - height, width, height);
                painter.setRenderHint(QPainter::SmoothPixmapTransform);
                painter.drawImage(map.pixels(target), m_headerImage);
            } else {
                const QRect band =
                    map.pixels(QRectF(room.x(), topEdge - room.height() / 10, room.width(), room.height() / 10));
                painter.fillRect(band, kHeaderBand);
                painter.setPen(palette().color(QPalette::WindowText));
                const QString label = headerBandLabel(*this);
                painter.drawText(band.adjusted(2, 0, -2, 0), Qt::AlignCenter,
                                 metrics.elidedText(label, Qt::ElideRight, std::max(0, band.width() - 4)));
            }
        }

        const QColor trim = densityColor(m_layout ? m_layout->BorderDensity : 0);
        const QColor empty = densityColor(m_layout ? m_layout->EmptyImageDensity : 0);
        for (std::size_t i = 0; i < g.Boxes.size(); ++i) {
            painter.fillRect(map.pixels(g.Boxes[i]), trim);
            painter.fillRect(map.pixels(g.Images[i]), empty);
        }

        // Whatever lies off the sheet, in the warning colour.
        const QRectF& p = drawn;
        const double pRight = p.x() + p.width();
        const double pTop = p.y() + p.height();
        const QRectF off[] = {
            QRectF(QPointF(p.x(), p.y()), QPointF(std::min(pRight, 0.0), pTop)),
            QRectF(QPointF(std::max(p.x(), sheet.width()), p.y()), QPointF(pRight, pTop)),
            QRectF(QPointF(p.x(), p.y()), QPointF(pRight, std::min(pTop, 0.0))),
            QRectF(QPointF(p.x(), std::max(p.y(), sheet.height())), QPointF(pRight, pTop)),
        };
        for (const QRectF& part : off)
            if (part.width() > 0 && part.height() > 0)
                painter.fillRect(map.pixels(part), kWarning);
    }

    const QRect sheetPixels = map.pixels(sheet);
    painter.setPen(kSheetEdge);
    painter.drawRect(sheetPixels.adjusted(0, 0, -1, -1));

    if (dimensions) {
        painter.setClipping(false);
        painter.setPen(palette().color(QPalette::WindowText));
        const QString width = sheetLengthLabel(sheet.width(), metrics, sheetPixels.width());
        // Along the sheet's edges, outside whatever else the view shows.
        const int above = map.y(view.y() + view.height()) - 2;
        const int beside = map.x(view.x()) - 2;
        painter.drawText(QRect(sheetPixels.x(), above - metrics.height(), sheetPixels.width(), metrics.height()),
                         Qt::AlignCenter, width);
        const QString height = sheetLengthLabel(sheet.height(), metrics, sheetPixels.height());
        painter.save();
        painter.translate(beside, sheetPixels.y() + sheetPixels.height());
        painter.rotate(-90);
        painter.drawText(QRect(0, -metrics.height(), sheetPixels.height(), metrics.height()), Qt::AlignCenter, height);
        painter.restore();
    }

    if (legend) {
        painter.setClipping(false);
        int y = std::min(map.y(view.y()) + 6, legendRoom.bottom() - legendHeight + 1);
        for (const LegendLine& item : items) {
            const int height = std::max(kSwatch, wrappedHeight(metrics, textWidth, item.text));
            painter.setPen(palette().color(QPalette::WindowText));
            if (item.swatch.isValid()) {
                const QRect swatch(legendRoom.x(), y + (metrics.height() - kSwatch) / 2, kSwatch, kSwatch);
                painter.fillRect(swatch, item.swatch);
                painter.drawRect(swatch.adjusted(0, 0, -1, -1));
            }
            painter.drawText(QRect(legendRoom.x() + kSwatch + 4, y, textWidth, height), Qt::TextWordWrap, item.text);
            y += height + 2;
        }
    }
}
