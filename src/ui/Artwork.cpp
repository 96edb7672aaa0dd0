#include "ui/Artwork.h"

#include <QIcon>

#include <QLabel>
#include <QPainter>
#include <QWidget>
#ifdef QUARVEL_SVG
#include <QResource>
#include <QSvgRenderer>
#endif

// The pictures live in the GUI library's resources, which a static library
// has to register itself.
static void initArtworkResources()
{
    Q_INIT_RESOURCE(resources);
#ifdef QUARVEL_SVG
    Q_INIT_RESOURCE(rendered);
#endif
}

namespace Artwork {

static void ensureResources()
{
    static const bool registered = (initArtworkResources(), true);
    (void)registered;
}

#ifdef QUARVEL_SVG
QIcon windowIcon()
{
    ensureResources();
    return QIcon(QStringLiteral(":/quarvel.svg"));
}

namespace {

// The picture as rendered at build time for this pixel ratio (":/logo" at 2:
// ":/rendered/logo@2x.argb", its pixels as a QImage holds them); null where
// none was, or not of this size.
QPixmap preRendered(const QString& resource, const QSize& size, qreal ratio)
{
    const int whole = qRound(ratio);
    if (whole < 1 || !qFuzzyCompare(ratio, qreal(whole)))
        return {};
    const QResource pixels(QStringLiteral(":/rendered") + resource.mid(1) + QStringLiteral("@%1x.argb").arg(whole));
    const QSize device = size * whole;
    if (!pixels.isValid() || pixels.compressionAlgorithm() != QResource::NoCompression ||
        pixels.size() != qint64(device.width()) * device.height() * 4)
        return {};
    // The image only looks at the resource's bytes; the pixmap copies them.
    const QImage image(pixels.data(), device.width(), device.height(), device.width() * 4,
                       QImage::Format_ARGB32_Premultiplied);
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

} // namespace

QPixmap render(const QString& resource, const QSize& size, qreal ratio)
{
    ensureResources();
    if (QPixmap pixmap = preRendered(resource, size, ratio); !pixmap.isNull())
        return pixmap;
    QPixmap pixmap(size * ratio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(resource + QStringLiteral(".svg"));
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}
#else
// Without Qt's SVG module the pictures come rendered at build time, at
// twice their size, and are scaled down to the screen's pixel ratio.
QIcon windowIcon()
{
    ensureResources();
    QIcon icon;
    for (const char* size : {"16", "32", "48", "256"})
        icon.addFile(QStringLiteral(":/quarvel-%1.png").arg(QLatin1String(size)));
    return icon;
}

QPixmap render(const QString& resource, const QSize& size, qreal ratio)
{
    ensureResources();
    QPixmap pixmap = QPixmap(resource + QStringLiteral(".png"))
                         .scaled(size * ratio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}
#endif

QPixmap render(const QString& resource, const QSize& size, const QWidget* widget)
{
    return render(resource, size, widget ? widget->devicePixelRatioF() : 1.0);
}

namespace {

// The pictures' sizes in device-independent pixels.
constexpr QSize kPhysicianSize(160, 200);
constexpr QSize kLogoSize(360, 64);

} // namespace

QPixmap physician(const QWidget* widget)
{
    return render(QStringLiteral(":/physician"), kPhysicianSize, widget);
}
QPixmap logo(const QWidget* widget)
{
    return render(QStringLiteral(":/logo"), kLogoSize, widget);
}

void showPhysician(QLabel* label)
{
    label->setPixmap(physician(label));
    label->setAccessibleName(QStringLiteral("Physician looking at an X-ray film"));
    label->setAccessibleDescription(QStringLiteral("Photograph"));
}

void showLogo(QLabel* label)
{
    label->setPixmap(logo(label));
    label->setAccessibleName(QStringLiteral("Quarvel logo"));
    label->setAccessibleDescription(QStringLiteral("Banner image"));
}

} // namespace Artwork
