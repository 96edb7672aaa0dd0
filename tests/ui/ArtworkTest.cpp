// The pictures rendered at build time are the ones the SVG draws, and other
// pixel ratios still get a picture drawn for them.
#include <QImage>
#include <QPainter>
#include <QResource>
#include <QSvgRenderer>
#include <gtest/gtest.h>

#include "ui/Artwork.h"

namespace {

// What the editor drew at start before the pictures came rendered.
QImage drawnFromSvg(const QString& resource, const QSize& size, qreal ratio)
{
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(resource + QStringLiteral(".svg"));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    return image;
}

} // namespace

TEST(Artwork, PicturesAreTheSvgsPixelForPixelAtEveryRatio)
{
    Artwork::logo(nullptr); // registers the resources
    const struct {
        const char* resource;
        QSize size;
        qreal ratio;
        const char* rendered; // at build time; none: drawn at run time
    } rows[] = {
        {":/logo", {360, 64}, 1.0, ":/rendered/logo@1x.argb"},
        {":/logo", {360, 64}, 2.0, ":/rendered/logo@2x.argb"},
        {":/physician", {160, 200}, 1.0, ":/rendered/physician@1x.argb"},
        {":/physician", {160, 200}, 2.0, ":/rendered/physician@2x.argb"},
        {":/logo", {360, 64}, 1.5, nullptr},
        {":/logo", {360, 64}, 3.0, nullptr},
    };
    for (const auto& row : rows) {
        const QString resource = QString::fromLatin1(row.resource);
        const QPixmap shown = Artwork::render(resource, row.size, row.ratio);
        const std::string name = std::string(row.resource) + " at " + std::to_string(row.ratio);
        if (row.rendered) { // shown from where it lies: stored uncompressed
            const QResource rendered(QString::fromLatin1(row.rendered));
            EXPECT_TRUE(rendered.isValid()) << name;
            EXPECT_EQ(rendered.compressionAlgorithm(), QResource::NoCompression) << name;
        }
        EXPECT_EQ(shown.devicePixelRatio(), row.ratio) << name;
        EXPECT_EQ(shown.deviceIndependentSize().toSize(), row.size) << name;
        const QImage expected = drawnFromSvg(resource, row.size, row.ratio);
        const QImage actual = shown.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        ASSERT_EQ(actual.size(), expected.size()) << name;
        EXPECT_TRUE(actual == expected) << name;
    }
}
