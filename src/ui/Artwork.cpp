#include "ui/Artwork.h"

#include <QIcon>

#include <QPainter>
#include <QSvgRenderer>
#include <QWidget>

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

QPixmap physician(const QWidget* widget)
{
    return render(QStringLiteral(":/physician.svg"), kPhysicianSize, widget);
}
QPixmap logo(const QWidget* widget)
{
    return render(QStringLiteral(":/logo.svg"), kLogoSize, widget);
}

} // namespace Artwork
