// The floor for bench_memory: a bare Qt Widgets window with a label, shown until killed.
#include <QApplication>
#include <QLabel>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("A bare Qt Widgets window"));
    label.setWindowTitle(QStringLiteral("Memory floor"));
    label.resize(800, 600);
    label.show();
    return app.exec();
}
