#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

class QLabel;
class QWidget;

// The program's pictures, sharp at the screen's pixel ratio: rendered at
// build time from their SVG sources by Qt's renderer at 100 % and 200 %,
// and drawn from the SVG at other ratios (or, built without Qt's SVG
// module, from PNGs rendered at build time at twice their size).
namespace Artwork {
QIcon windowIcon();
// resource names the picture without its extension (":/logo"); size is in
// device-independent pixels, drawn at widget's pixel ratio (or ratio).
QPixmap render(const QString& resource, const QSize& size, const QWidget* widget);
QPixmap render(const QString& resource, const QSize& size, qreal ratio);
QPixmap physician(const QWidget* widget); // 160 x 200
QPixmap logo(const QWidget* widget);      // 360 x 64
// Shows the picture in label, named and described for screen readers as the
// image it is.
void showPhysician(QLabel* label);
void showLogo(QLabel* label);
} // namespace Artwork
