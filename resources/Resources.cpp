#include "resources/Resources.h"

#include <QFile>

QImage watermarkImage()
{
    return QImage(QStringLiteral(":/images/watermark.png"));
}

QString applicationStyleSheet()
{
    QString sheet;
    for (const char *name : {":/StyleSheet.qss", ":/RecorderGui.qss"}) {
        QFile file{QString::fromLatin1(name)};
        if (file.open(QIODevice::ReadOnly))
            sheet += QString::fromUtf8(file.readAll());
    }
    return sheet;
}
