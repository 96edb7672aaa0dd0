#include "ui/Artwork.h"

#include <QIcon>

#include <QPainter>
#include <QSvgRenderer>
#include <QWidget>

// The pictures live in the GUI library's resources, which a static library
// has to register itself.
static void InitArtworkResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace Artwork {

static void EnsureResources()
{
    static const bool registered = (InitArtworkResources(), true);
    (void)registered;
}

QIcon WindowIcon()
{
    EnsureResources();
    return QIcon(QStringLiteral(":/quarvel.svg"));
}

QPixmap Render(const QString& resource, const QSize& size, const QWidget* widget)
{
    EnsureResources();
    const qreal ratio = widget ? widget->devicePixelRatioF() : 1.0;
    QPixmap pixmap(size * ratio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

namespace {

// The pictures' sizes in device-independent pixels.
constexpr QSize kPhysicianSize(160, 200);
constexpr QSize kLogoSize(360, 64);

} // namespace

QPixmap Physician(const QWidget* widget)
{
    return Render(QStringLiteral(":/physician.svg"), kPhysicianSize, widget);
}
QPixmap Logo(const QWidget* widget)
{
    return Render(QStringLiteral(":/logo.svg"), kLogoSize, widget);
}

} // namespace Artwork
