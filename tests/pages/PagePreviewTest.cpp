// The page preview painted offscreen into an image: the pixels must lie
// where the numbers put them. Positions are measured from the picture
// itself (the sheet's edge colour gives the sheet and so the scale), never
// taken from the widget.
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <climits>
#include <cmath>
#include <gtest/gtest.h>

#include "config/Vocabulary.h"
#include "pages/PagePreview.h"

namespace {

PaperRecord paper(int sizeX, int sizeY, int skipX = 0, int skipY = 0, int offsetX = 0, int offsetY = 0)
{
    PaperRecord p;
    p.SizeX = sizeX;
    p.SizeY = sizeY;
    p.SkipX = skipX;
    p.SkipY = skipY;
    p.OffsetX = offsetX;
    p.OffsetY = offsetY;
    return p;
}

PaperRecord a4(int skipX = 20, int skipY = 20, int offsetX = 0, int offsetY = 0)
{
    return paper(595, 842, skipX, skipY, offsetX, offsetY);
}

// One rendering with the means to find things in it.
class Picture {
  public:
    Picture(PagePreview& preview, QSize size = QSize(320, 440)) : m_image(size, QImage::Format_RGB32)
    {
        preview.resize(size);
        m_image.fill(Qt::magenta);
        preview.render(&m_image);
        m_sheet = bounds(PagePreview::kSheetEdge);
    }

    QColor at(int x, int y) const { return m_image.pixelColor(x, y); }
    QColor at(QPointF p) const { return at(static_cast<int>(p.x()), static_cast<int>(p.y())); }

    // The smallest rectangle holding every pixel of a colour.
    QRect bounds(const QColor& colour) const { return bounds(colour, m_image.rect()); }
    QRect bounds(const QColor& colour, const QRect& within) const
    {
        QRect found;
        for (int y = within.top(); y <= within.bottom(); ++y)
            for (int x = within.left(); x <= within.right(); ++x)
                if (m_image.pixelColor(x, y) == colour)
                    found |= QRect(x, y, 1, 1);
        return found;
    }
    int count(const QColor& colour, const QRect& within) const
    {
        int count = 0;
        for (int y = within.top(); y <= within.bottom(); ++y)
            for (int x = within.left(); x <= within.right(); ++x)
                count += m_image.pixelColor(x, y) == colour;
        return count;
    }
    // How many pixels of a colour follow each other from a start, in a
    // direction.
    int run(QPoint from, QPoint step, const QColor& colour) const
    {
        int n = 0;
        for (QPoint p = from; m_image.rect().contains(p) && m_image.pixelColor(p) == colour; p += step)
            ++n;
        return n;
    }

    // How far from a start the first pixel of a colour lies, in a direction
    // (-1 when there is none).
    int distance(QPoint from, QPoint step, const QColor& colour) const
    {
        int n = 0;
        for (QPoint p = from; m_image.rect().contains(p); p += step, ++n)
            if (m_image.pixelColor(p) == colour)
                return n;
        return -1;
    }

    // The sheet as found by its edge colour, and its points per pixel.
    const QRect& sheet() const { return m_sheet; }
    double scale(int sizeX) const { return double(m_sheet.width()) / sizeX; }
    // A point of the sheet (in points, y upwards) in pixels.
    QPointF pixel(double x, double y, double scale) const
    {
        return QPointF(m_sheet.left() + x * scale, m_sheet.top() + m_sheet.height() - y * scale);
    }

    const QImage& image() const { return m_image; }
    // The rows of the sheet across the whole picture: the legend below,
    // whose swatches share the colours, stays out.
    QRect sheetRows() const { return QRect(0, m_sheet.top(), m_image.width(), m_sheet.height()); }

  private:
    QImage m_image;
    QRect m_sheet;
};

// Points measured in pixels agree with the numbers within rounding.
void expectNear(double pixels, double points, double scale, const char* what)
{
    EXPECT_NEAR(pixels, points * scale, 1.6) << what << " (scale " << scale << ")";
}

const QPoint kRight(1, 0);
const QPoint kLeft(-1, 0);
const QPoint kDown(0, 1);
const QPoint kUp(0, -1);

} // namespace

TEST(PagePreview, A4WithEvenBordersLooksLikeAnA4SheetWithAnEvenMargin)
{
    PagePreview preview;
    preview.setPaper(a4(20, 20));
    const Picture picture(preview);
    const QRect sheet = picture.sheet();
    ASSERT_TRUE(sheet.isValid());
    EXPECT_GT(sheet.width(), 100) << "the sheet fills the picture";
    EXPECT_NEAR(double(sheet.height()) / sheet.width(), 842.0 / 595.0, 0.01) << "aspect ratio";
    const double scale = picture.scale(595);

    // From each edge inwards: the edge, then the border of 20 pt, then the
    // printable area's edge.
    const QPoint middle = sheet.center();
    const int left = picture.run(QPoint(sheet.left() + 1, middle.y()), kRight, PagePreview::kUnprintable);
    const int right = picture.run(QPoint(sheet.right() - 1, middle.y()), kLeft, PagePreview::kUnprintable);
    const int top = picture.run(QPoint(middle.x(), sheet.top() + 1), kDown, PagePreview::kUnprintable);
    const int bottom = picture.run(QPoint(middle.x(), sheet.bottom() - 1), kUp, PagePreview::kUnprintable);
    for (const auto& [run, name] : {std::pair{left, "left"}, {right, "right"}, {top, "top"}, {bottom, "bottom"}})
        expectNear(run + 1, 20, scale, name);
    EXPECT_LE(std::abs(left - right), 1);
    EXPECT_LE(std::abs(top - bottom), 1);
    EXPECT_EQ(picture.at(sheet.left() + 1 + left, middle.y()), PagePreview::kPrintableEdge);
    EXPECT_EQ(picture.at(middle.x(), middle.y()), PagePreview::kPrintable);
    EXPECT_EQ(picture.count(PagePreview::kWarning, picture.image().rect()), 0);
    EXPECT_TRUE(preview.warnings().isEmpty());
}

TEST(PagePreview, OffsetsMoveThePrintableAreaRightAndUpAndWhatLeavesTheSheetIsWarned)
{
    // 100 pt to the right and 10 pt up: the area's left edge lies 120 pt
    // from the sheet's, its bottom edge 30 pt and its top edge 10 pt from
    // the sheet's; its right part lies 80 pt beyond the sheet. The borders
    // stay where they are.
    PagePreview preview;
    preview.setPaper(a4(20, 20, 100, 10));
    const Picture picture(preview, QSize(480, 440));
    const QRect sheet = picture.sheet();
    const double scale = picture.scale(595);
    const QPoint middle = sheet.center();
    expectNear(picture.run(QPoint(sheet.left() + 1, middle.y()), kRight, PagePreview::kUnprintable) + 1, 20, scale,
               "left border");
    expectNear(picture.distance(QPoint(sheet.left(), middle.y()), kRight, PagePreview::kPrintableEdge), 120, scale,
               "left edge of the area");
    const int x = static_cast<int>(picture.pixel(300, 0, scale).x());
    expectNear(picture.distance(QPoint(x, sheet.bottom()), kUp, PagePreview::kPrintableEdge) + 1, 30, scale,
               "bottom edge of the area");
    expectNear(picture.distance(QPoint(x, sheet.top()), kDown, PagePreview::kPrintableEdge), 10, scale,
               "top edge of the area");

    // Inside the sheet the area covers the right border; beyond the sheet's
    // edge it is drawn in the warning colour, as far as 675 pt.
    EXPECT_EQ(picture.at(picture.pixel(585, 421, scale)), PagePreview::kPrintable);
    EXPECT_EQ(picture.at(picture.pixel(635, 421, scale)), PagePreview::kWarning);
    const QRect warned = picture.bounds(PagePreview::kWarning, picture.sheetRows());
    expectNear(warned.left() - sheet.left(), 595, scale, "warning starts at the sheet's edge");
    expectNear(warned.right() + 1 - sheet.left(), 675, scale, "warning ends with the area");
    EXPECT_FALSE(preview.warnings().isEmpty());
}

TEST(PagePreview, AnOffsetOf600PushesTheWholeAreaOffTheSheet)
{
    PagePreview preview;
    preview.setPaper(a4(20, 20, 600, 0));
    const Picture picture(preview, QSize(480, 440));
    const QRect sheet = picture.sheet();
    ASSERT_TRUE(sheet.isValid());
    EXPECT_NEAR(double(sheet.height()) / sheet.width(), 842.0 / 595.0, 0.01) << "the sheet keeps its shape";
    EXPECT_EQ(picture.count(PagePreview::kPrintable, sheet), 0) << "nothing printable on the sheet";
    const double scale = picture.scale(595);
    EXPECT_EQ(picture.at(picture.pixel(700, 421, scale)), PagePreview::kWarning);
    EXPECT_GT(picture.count(PagePreview::kWarning, picture.sheetRows()), 500);
    ASSERT_FALSE(preview.warnings().isEmpty());
    EXPECT_TRUE(preview.warnings().first().contains(QLatin1String("off the sheet")));
}

TEST(PagePreview, FarOffsetsAndExtremeNumbersStillShowTheSheetAndTheWarning)
{
    // An area too far off shows as a sliver at the edge of the view, which
    // may lie beside the sheet's rows: small pictures have no legend (whose
    // swatch shares the colour), so the whole picture is searched.
    for (const PaperRecord& paper :
         {a4(20, 20, INT_MAX, INT_MIN), a4(20, 20, -100000, 0), paper(INT_MAX, INT_MAX, INT_MIN, INT_MIN),
          paper(INT_MAX, INT_MAX / 2, 0, 0, INT_MIN, INT_MAX), a4(-50, -50, 0, 0)}) {
        PagePreview preview;
        preview.setPaper(paper);
        const Picture picture(preview, QSize(160, 170));
        EXPECT_TRUE(picture.sheet().isValid()) << paper.SizeX << " " << paper.OffsetX;
        EXPECT_GT(picture.count(PagePreview::kWarning, picture.image().rect()), 0)
            << paper.SizeX << " " << paper.OffsetX;
        EXPECT_FALSE(preview.warnings().isEmpty());
    }
}

TEST(PagePreview, BordersThatLeaveNoPrintableAreaAreMarkedInTheWarningColour)
{
    // Borders overlapping (2 x 300 > 595) and borders meeting exactly.
    for (const PaperRecord& paper : {a4(300, 20), paper(596, 842, 298, 20), a4(20, 421)}) {
        PagePreview preview;
        preview.setPaper(paper);
        const Picture picture(preview);
        const QRect sheet = picture.sheet();
        EXPECT_EQ(picture.at(sheet.center().x(), sheet.center().y()), PagePreview::kWarning) << paper.SkipX;
        EXPECT_EQ(picture.count(PagePreview::kPrintable, sheet), 0);
        ASSERT_FALSE(preview.warnings().isEmpty());
        EXPECT_TRUE(preview.warnings().first().startsWith(QLatin1String("No printable area")));
    }
}

TEST(PagePreview, LandscapeTurnsTheSheetWithItsBordersAndOffsets)
{
    // SkipX lies left and right of the printer's sheet, SkipY at top and
    // bottom; turned, they swap. OffsetX then moves the area down.
    PagePreview preview;
    preview.setPaper(a4(20, 40, 10, 0));
    LayoutSample sample;
    sample.Columns = 1;
    sample.Rows = 1;
    sample.EmptyImageDensity = 128;
    sample.Landscape = false;
    preview.setLayoutSample(sample);
    const Picture portrait(preview);
    EXPECT_NEAR(double(portrait.sheet().height()) / portrait.sheet().width(), 842.0 / 595.0, 0.01);

    sample.Landscape = true;
    preview.setLayoutSample(sample);
    const Picture turned(preview);
    const QRect sheet = turned.sheet();
    EXPECT_NEAR(double(sheet.width()) / sheet.height(), 842.0 / 595.0, 0.01);
    const double scale = turned.scale(842);
    const QPoint middle = sheet.center();
    // The one image box (grey) fills the printable area.
    const QColor box = PagePreview::densityColor(sample.EmptyImageDensity);
    expectNear(turned.run(QPoint(sheet.left() + 1, middle.y()), kRight, PagePreview::kUnprintable) + 1, 40, scale,
               "left: SkipY");
    expectNear(turned.run(QPoint(sheet.right() - 1, middle.y()), kLeft, PagePreview::kUnprintable) + 1, 40, scale,
               "right: SkipY");
    expectNear(turned.run(QPoint(middle.x(), sheet.top() + 1), kDown, PagePreview::kUnprintable) + 1, 20, scale,
               "top: SkipX");
    expectNear(turned.distance(QPoint(middle.x(), sheet.top()), kDown, box), 30, scale, "top: SkipX and the offset");
    expectNear(turned.distance(QPoint(middle.x(), sheet.bottom()), kUp, box) + 1, 10, scale,
               "bottom: SkipX less the offset");
    EXPECT_TRUE(preview.legend().join(QLatin1Char(' ')).contains(QLatin1String("+OffsetX moves it down")));
}

TEST(PagePreview, ImageBoxesAreSeparatedByTheImageDistance)
{
    // The printable area is the whole sheet; white boxes on it, 40 pt apart:
    // 2 across of (595 - 40) / 2 pt, 3 down of (842 - 80) / 3 pt.
    PagePreview preview;
    preview.setPaper(a4(0, 0));
    LayoutSample sample;
    sample.ImageDistance = 40;
    sample.EmptyImageDensity = 256;
    preview.setLayoutSample(sample);
    const Picture picture(preview);
    const QRect sheet = picture.sheet();
    const double scale = picture.scale(595);
    const QColor white(255, 255, 255);

    const int y = sheet.center().y();
    QPoint p(sheet.left() + 1, y);
    const int first = picture.run(p, kRight, white);
    p.rx() += first;
    const int gap = picture.run(p, kRight, PagePreview::kPrintable);
    p.rx() += gap;
    const int second = picture.run(p, kRight, white);
    expectNear(first + 1, 277.5, scale, "first box");
    expectNear(gap, 40, scale, "gap across");
    expectNear(second + 1, 277.5, scale, "second box");
    EXPECT_EQ(p.x() + second, sheet.right());

    std::vector<int> runs;
    QPoint q(static_cast<int>(picture.pixel(138, 0, scale).x()), sheet.top() + 1);
    for (int i = 0; i < 5; ++i) {
        const QColor colour = i % 2 ? PagePreview::kPrintable : white;
        runs.push_back(picture.run(q, kDown, colour));
        q.ry() += runs.back();
    }
    expectNear(runs[0] + 1, 254, scale, "first row");
    expectNear(runs[1], 40, scale, "gap down");
    expectNear(runs[2], 254, scale, "second row");
    expectNear(runs[3], 40, scale, "second gap down");
    expectNear(runs[4] + 1, 254, scale, "third row");
    EXPECT_EQ(q.y(), sheet.bottom());
}

TEST(PagePreview, TrimAndEmptyImagesShowTheirDensitiesAsGreys)
{
    EXPECT_EQ(PagePreview::densityColor(0), QColor(0, 0, 0));
    EXPECT_EQ(PagePreview::densityColor(256), QColor(255, 255, 255));
    EXPECT_EQ(PagePreview::densityColor(128), QColor(128, 128, 128));
    EXPECT_EQ(PagePreview::densityColor(-5), QColor(0, 0, 0));
    EXPECT_EQ(PagePreview::densityColor(300), QColor(255, 255, 255));

    PagePreview preview;
    preview.setPaper(a4(0, 0));
    LayoutSample sample;
    sample.Columns = 1;
    sample.Rows = 1;
    sample.Trim = true;
    sample.TrimWidth = 30;
    sample.BorderDensity = densityValue(DensityBlack, 77);
    sample.EmptyImageDensity = densityValue(DensityCustom, 128);
    preview.setLayoutSample(sample);
    const Picture trimmed(preview);
    const QRect sheet = trimmed.sheet();
    const double scale = trimmed.scale(595);
    const int black = trimmed.run(QPoint(sheet.left() + 1, sheet.center().y()), kRight, QColor(0, 0, 0));
    expectNear(black + 1, 30, scale, "trim");
    EXPECT_EQ(trimmed.at(sheet.center().x(), sheet.center().y()), QColor(128, 128, 128));

    // Without "Trim" the trim's place shows the empty image.
    sample.Trim = false;
    preview.setLayoutSample(sample);
    const Picture plain(preview);
    EXPECT_EQ(plain.at(sheet.left() + 5, sheet.center().y()), QColor(128, 128, 128));
    sample.EmptyImageDensity = densityValue(DensityWhite, 7);
    preview.setLayoutSample(sample);
    EXPECT_EQ(Picture(preview).at(sheet.center().x(), sheet.center().y()), QColor(255, 255, 255));
}

TEST(PagePreview, HeaderBitmapOnTopOfThePrintableAreaOrABandWhenUnreadable)
{
#ifdef _WIN32
    GTEST_SKIP() << "the offscreen platform of Qt for Windows finds no fonts (Qt ships none), and the pixel read lies "
                    "under the legend's text there";
#endif
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage logo(300, 60, QImage::Format_RGB32);
    logo.fill(QColor(0, 160, 0));
    const QString png = dir.filePath(QStringLiteral("logo.png"));
    const QString bmp = dir.filePath(QStringLiteral("logo.bmp"));
    ASSERT_TRUE(logo.save(png, "PNG"));
    ASSERT_TRUE(logo.save(bmp, "BMP"));
    const QString text = dir.filePath(QStringLiteral("notes.bmp"));
    {
        QFile file(text);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a bitmap");
    }

    const auto render = [](const QString& name, bool listed, const QString& file) {
        PagePreview preview;
        preview.setPaper(a4(20, 20));
        preview.setHeader(name, listed, file);
        const Picture picture(preview);
        const double scale = picture.scale(595);
        // Just below the printable area's top edge, in its middle.
        return picture.at(picture.pixel(297, 842 - 20 - 5, scale));
    };
    EXPECT_EQ(render(QString(), false, QString()), PagePreview::kPrintable) << "no header chosen";
    EXPECT_EQ(render(QStringLiteral("LOGO"), true, png), QColor(0, 160, 0)) << "PNG";
    EXPECT_EQ(render(QStringLiteral("LOGO"), true, bmp), QColor(0, 160, 0)) << "BMP";
    EXPECT_EQ(render(QStringLiteral("LOGO"), true, text), PagePreview::kHeaderBand) << "not an image";
    EXPECT_EQ(render(QStringLiteral("LOGO"), true, dir.filePath(QStringLiteral("gone.bmp"))), PagePreview::kHeaderBand)
        << "missing";
    EXPECT_EQ(render(QStringLiteral("LOGO"), true, QString()), PagePreview::kHeaderBand) << "no file";
    EXPECT_EQ(render(QStringLiteral("GONE"), false, png), PagePreview::kHeaderBand) << "not listed";
}

TEST(PagePreview, WithoutASheetItSaysWhyAndDrawsNone)
{
    PagePreview preview;
    preview.setPaper(paper(0, 842));
    EXPECT_FALSE(Picture(preview).sheet().isValid());
    EXPECT_EQ(preview.warnings(), QStringList{QStringLiteral("No sheet: width and height must be above 0.")});
    preview.setPaper(paper(-595, 842));
    EXPECT_FALSE(Picture(preview).sheet().isValid());

    preview.clearPaper(QStringLiteral("No default page size selected."));
    EXPECT_FALSE(preview.hasPaper());
    EXPECT_FALSE(Picture(preview).sheet().isValid());
    EXPECT_TRUE(preview.toolTip().contains(QLatin1String("No default page size selected.")));
    preview.setPaper(a4());
    EXPECT_TRUE(Picture(preview).sheet().isValid());
}

TEST(PagePreview, AtItsSmallMinimumTheSheetIsStillDrawnToScale)
{
    PagePreview preview;
    EXPECT_LE(preview.minimumSizeHint().width(), 160);
    EXPECT_LE(preview.minimumSizeHint().height(), 160);
    preview.setPaper(a4());
    const Picture small(preview, preview.minimumSizeHint());
    ASSERT_TRUE(small.sheet().isValid());
    EXPECT_NEAR(double(small.sheet().height()) / small.sheet().width(), 842.0 / 595.0, 0.03);
}
