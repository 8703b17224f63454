#pragma once

#include <QApplication>

// The application object and a hub for process-wide notifications.
class MyApplication : public QApplication
{
    Q_OBJECT
public:
    MyApplication(int &argc, char **argv);

signals:
    // The desktop session is ending (session manager) or the process was told to quit
    // (SIGTERM/SIGINT, relayed by the start-up code): the orderly quit must run.
    void queryEndSession();
    // Screens were added, removed, moved or resized (the main window may add its own
    // reasons): followers, monitor recordings and notifiers find their places again.
    void displayChanged();
    // A widget asks for the main window to be shown.
    void mainWindow();

private slots:
    void onCommitDataRequest();

private:
    void watchScreens();
};
