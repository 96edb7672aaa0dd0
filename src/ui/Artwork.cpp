#include "ui/Artwork.h"

#include <QIcon>

#include <QLabel>
#include <QPainter>
#include <QWidget>
#ifdef QUARVEL_SVG
#include <QSvgRenderer>
#endif

// The pictures live in the GUI library's resources, which a static library
// has to register itself.
static void initArtworkResources()
{
    Q_INIT_RESOURCE(resources);
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

QPixmap render(const QString& resource, const QSize& size, const QWidget* widget)
{
    ensureResources();
    const qreal ratio = widget ? widget->devicePixelRatioF() : 1.0;
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

QPixmap render(const QString& resource, const QSize& size, const QWidget* widget)
{
    ensureResources();
    const qreal ratio = widget ? widget->devicePixelRatioF() : 1.0;
    QPixmap pixmap = QPixmap(resource + QStringLiteral(".png"))
                         .scaled(size * ratio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}
#endif

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
