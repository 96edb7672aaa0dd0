#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

class QLabel;
class QWidget;

// The program's pictures, drawn from their SVG sources at the screen's
// pixel ratio so they stay sharp at 200 % (or, built without Qt's SVG
// module, from PNGs rendered at build time at twice their size).
namespace Artwork {
QIcon windowIcon();
// resource names the picture without its extension (":/logo").
QPixmap render(const QString& resource, const QSize& size, const QWidget* widget);
QPixmap physician(const QWidget* widget); // 160 x 200
QPixmap logo(const QWidget* widget);      // 360 x 64
// Shows the picture in label, named and described for screen readers as the
// image it is.
void showPhysician(QLabel* label);
void showLogo(QLabel* label);
} // namespace Artwork
