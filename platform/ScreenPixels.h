#pragma once

#include <QPoint>
#include <QRect>

class QScreen;

// Qt places widgets in device-independent pixels; X11, and so every capture
// rectangle and window rectangle of the desktop layer, counts device pixels.
// With a scale factor of 1 both are the same. Each screen is scaled about its own
// top-left corner, which keeps its place in both.
namespace desktop {

// A screen's rectangle in device pixels.
QRect nativeGeometry(const QScreen *screen);

QPoint toNative(const QPoint &logical);
QRect toNative(const QRect &logical);
QPoint toLogical(const QPoint &native);
QRect toLogical(const QRect &native);

} // namespace desktop
