#pragma once

#include <QImage>
#include <QString>

// The product mark blended into every recorded frame (":/images/watermark.png").
QImage watermarkImage();

// The program's style sheet: ":/StyleSheet.qss" followed by ":/RecorderGui.qss".
QString applicationStyleSheet();
