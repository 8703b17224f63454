#include "ui/MyApplication.h"

#include "app/Log.h"

#include <QSessionManager>

MyApplication::MyApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Brindlecast"));
    connect(this, &QGuiApplication::commitDataRequest, this, &MyApplication::onCommitDataRequest,
            Qt::DirectConnection);
}

void MyApplication::onCommitDataRequest()
{
    logDebug(QStringLiteral("Session manager asks to end the session"));
    emit queryEndSession();
}
