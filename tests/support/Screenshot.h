#pragma once

#include <QImage>
#include <QString>

// Grabs a window (0: the whole screen) as the X server shows it (its pixels on the
// screen, not a widget's own painting), keeps it as NAME.png among the tests'
// artefacts and returns it; a null image when nothing could be grabbed.
QImage keepScreenshot(const QString &name, quintptr window);
// How many different colours the image holds: a blank or one-colour grab has few.
int distinctColours(const QImage &image);
