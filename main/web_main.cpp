// brindlecast-web: the service's pages for the brindlecast program, which starts it
// while its main window is shown and ends it (closing its input) when it is not.
#include "main/WebPages.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

#include <unistd.h>

int main(int argc, char **argv)
{
    // Chromium's sandbox cannot run as root.
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // Answers keep the real standard output; whatever else prints there goes to
    // standard error instead of breaking the lines the program reads.
    const int answers = dup(STDOUT_FILENO);
    dup2(STDERR_FILENO, STDOUT_FILENO);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("brindlecast-web"));
    QApplication::setQuitOnLastWindowClosed(false);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Draws the Brindlecast service's pages for the brindlecast program."));
    parser.addHelpOption();
    parser.process(app);
    WebPages pages(STDIN_FILENO, answers);
    QObject::connect(&pages, &WebPages::inputEnded, &app, &QCoreApplication::quit);
    return app.exec();
}
