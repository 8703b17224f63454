#pragma once

// Test support: a private X server with a window manager and, on demand, a
// compositing manager, plus plain X windows of known colours. Each test program
// runs its own server so tests never disturb each other's desktop.

#include <QList>
#include <QProcess>
#include <QRect>
#include <QString>

#include <memory>

struct xcb_connection_t;

class XSession
{
public:
    ~XSession();
    // Starts Xvfb on a free display and exports DISPLAY; with a window manager
    // (openbox) when asked. Must run before anything connects to X.
    bool start(bool windowManager = true);
    // The same on a screen made of these monitors side by side (RandR monitors named
    // "M1", "M2"...), as a desktop with several displays shows itself.
    bool start(bool windowManager, const QList<QRect> &monitors);
    // A screen of the test program's own as large as the shared test screen, without
    // a window manager: no other test's window can lie over its windows or take the
    // pointer's clicks.
    bool startPrivateScreen() { return start(false, {QRect(0, 0, 1920, 1080)}); }
    bool startCompositor();
    void stopCompositor();
    QString display() const { return m_display; }

private:
    bool startServer(const QSize &size);
    bool splitIntoMonitors(const QList<QRect> &monitors);
    bool startWindowManager();
    bool selectionOwned(const char *selection) const;
    bool waitForSelection(const char *selection, bool owned, int ms) const;
    QString windowManagerReport();

    std::unique_ptr<QProcess> m_server;
    // Kept open for the session's life: every check goes over it, so the server
    // never sees its last client leave between checks.
    xcb_connection_t *m_connection = nullptr;
    std::unique_ptr<QProcess> m_windowManager;
    std::unique_ptr<QProcess> m_compositor;
    QString m_display;
};

// A top-level window filled with one colour, with its own X connection.
class TestWindow
{
public:
    // owner: the window this one is transient for (a dialog of it), or 0.
    TestWindow(const QString &title, const QRect &geometry, quint32 rgb, const QString &className = QStringLiteral("brindletest"),
               quint32 owner = 0);
    ~TestWindow();

    quint32 id() const { return m_window; }
    // Waits until the window manager has framed and shown it (or it is mapped, without one).
    bool waitShown(int timeoutMs = 10000);
    // Sets WM_NAME and _NET_WM_NAME, as programs do when they retitle a window.
    void setTitle(const QString &title);
    void move(int x, int y);
    void resize(int width, int height);
    void minimise();
    void restore();
    void raise();
    void close();
    void sync();
    // Fills the whole window with one colour.
    void fill(quint32 rgb);
    // Changes the picture: a noisy patch and a moving bar, different for every step.
    void animate(int step);
    // A child window of another colour, in window coordinates.
    void addChild(const QRect &geometry, quint32 rgb);

private:
    struct Private;
    std::unique_ptr<Private> d;
    quint32 m_window = 0;
};

// Moves the pointer with XTest.
void movePointer(int x, int y);
// The mapped windows directly inside a window, as the X server has them.
QList<quint32> mappedChildren(quint32 window);
// Presses or releases the left button where the pointer is, with XTest.
void pressPointer(bool down);
// Presses and releases the key of an X keysym (0xff0d: Return) with XTest, for the
// window that has the keyboard focus.
void pressKey(quint32 keysym);

// main() for a test program that needs its own X server: starts it (with a
// window manager) before the application object connects to it.
#define BC_XSESSION_TEST_MAIN(TestObject)                                                                         \
    int main(int argc, char **argv)                                                                                \
    {                                                                                                              \
        XSession session;                                                                                          \
        if (!session.start(true)) {                                                                                \
            qCritical("Cannot start a private X server with a window manager");                                    \
            return 1;                                                                                              \
        }                                                                                                          \
        qputenv("QT_QPA_PLATFORM", "xcb");                                                                         \
        QApplication app(argc, argv);                                                                              \
        TestObject test(&session);                                                                                 \
        return QTest::qExec(&test, argc, argv);                                                                    \
    }

// main() for a test program that takes pictures of its windows or drives the pointer
// on a screen of its own, without a window manager.
#define BC_PRIVATE_SCREEN_TEST_MAIN(TestObject)                                                                   \
    int main(int argc, char **argv)                                                                                \
    {                                                                                                              \
        XSession session;                                                                                          \
        if (!session.startPrivateScreen()) {                                                                       \
            qCritical("Cannot start a private X server");                                                          \
            return 1;                                                                                              \
        }                                                                                                          \
        qputenv("QT_QPA_PLATFORM", "xcb");                                                                         \
        QApplication app(argc, argv);                                                                              \
        TestObject test;                                                                                           \
        return QTest::qExec(&test, argc, argv);                                                                    \
    }
