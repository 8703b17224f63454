#pragma once

#include <QImage>

// The product mark blended into every recorded frame (":/images/watermark.png").
QImage watermarkImage();
