// Renders an SVG picture at a size in device-independent pixels times a
// pixel ratio, with the same Qt renderer the editor would use at run time,
// so that the pre-rendered picture is the one the editor showed:
//
//   render_artwork SOURCE.svg WIDTH HEIGHT RATIO OUTPUT.argb
//
// OUTPUT holds the pixels as they are in memory, premultiplied 32-bit ARGB
// words of this machine, row after row without padding: the editor shows
// them straight from its resources, with nothing to decode. Run at build
// time (offscreen); the editor draws the SVG itself only for ratios
// rendered nowhere.
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fputs("usage: render_artwork SOURCE.svg WIDTH HEIGHT RATIO OUTPUT.argb\n", stderr);
        return 2;
    }
    QGuiApplication application(argc, argv); // the text of a picture needs the font database
    const QString source = QString::fromLocal8Bit(argv[1]);
    const int ratio = QByteArray(argv[4]).toInt();
    const QSize size(QByteArray(argv[2]).toInt() * ratio, QByteArray(argv[3]).toInt() * ratio);
    // Without a font the logo's text would be left out, silently.
    if (QFontDatabase::families().isEmpty()) {
        std::fputs("render_artwork: no fonts found for the pictures' text (fontconfig finds none)\n", stderr);
        return 1;
    }
    QSvgRenderer renderer(source);
    if (!renderer.isValid() || size.isEmpty() || ratio < 1) {
        std::fprintf(stderr, "render_artwork: cannot render %s\n", argv[1]);
        return 1;
    }
    // As the editor draws it: a transparent premultiplied picture (what a
    // QPixmap of the raster engine holds), antialiased.
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    QSaveFile output(QString::fromLocal8Bit(argv[5])); // whole or not at all: a build never finds half
    const auto bytes = static_cast<qint64>(image.sizeInBytes());
    if (image.bytesPerLine() != 4 * size.width() || !output.open(QIODevice::WriteOnly) ||
        output.write(reinterpret_cast<const char*>(image.constBits()), bytes) != bytes || !output.commit()) {
        std::fprintf(stderr, "render_artwork: cannot write %s\n", argv[5]);
        return 1;
    }
    return 0;
}
