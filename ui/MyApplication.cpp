#include "ui/MyApplication.h"

#include "app/Log.h"

#include <QScreen>
#include <QSessionManager>

MyApplication::MyApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Brindlecast"));
    connect(this, &QGuiApplication::commitDataRequest, this, &MyApplication::onCommitDataRequest,
            Qt::DirectConnection);
    watchScreens();
}

void MyApplication::watchScreens()
{
    // A monitor added, removed, moved or set to another resolution.
    const auto watch = [this](QScreen *screen) {
        connect(screen, &QScreen::geometryChanged, this, &MyApplication::displayChanged);
    };
    for (QScreen *screen : screens())
        watch(screen);
    connect(this, &QGuiApplication::screenAdded, this, watch);
    connect(this, &QGuiApplication::screenAdded, this, &MyApplication::displayChanged);
    connect(this, &QGuiApplication::screenRemoved, this, &MyApplication::displayChanged);
    connect(this, &QGuiApplication::primaryScreenChanged, this, &MyApplication::displayChanged);
}

void MyApplication::onCommitDataRequest()
{
    logDebug(QStringLiteral("Session manager asks to end the session"));
    emit queryEndSession();
}
