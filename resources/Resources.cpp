#include "Resources.h"

QImage watermarkImage()
{
    return QImage(QStringLiteral(":/images/watermark.png"));
}
