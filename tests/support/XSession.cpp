#include "tests/support/XSession.h"

#include <QDeadlineTimer>
#include <QThread>

#include <xcb/xcb.h>
#include <xcb/xcb_icccm.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace {

bool waitFor(const std::function<bool()> &condition, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
    return true;
}

xcb_atom_t internAtom(xcb_connection_t *c, const char *name)
{
    auto *reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return atom;
}

xcb_window_t rootOf(xcb_connection_t *c)
{
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

// The window manager lists the atom in the root's _NET_SUPPORTED.
bool supportsAtom(xcb_connection_t *c, xcb_atom_t atom)
{
    auto *reply = xcb_get_property_reply(
            c, xcb_get_property(c, 0, rootOf(c), internAtom(c, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 0, 1024), nullptr);
    bool found = false;
    if (reply) {
        const auto *atoms = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply));
        const int count = xcb_get_property_value_length(reply) / int(sizeof(xcb_atom_t));
        found = std::find(atoms, atoms + count, atom) != atoms + count;
    }
    free(reply);
    return found;
}

// The window owning a selection (a window manager's WM_S0, a compositor's
// _NET_WM_CM_S0), or none.
xcb_window_t selectionOwner(xcb_connection_t *c, const char *selection)
{
    if (!c || xcb_connection_has_error(c))
        return XCB_WINDOW_NONE;
    auto *reply = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, internAtom(c, selection)), nullptr);
    const xcb_window_t owner = reply ? reply->owner : xcb_window_t(XCB_WINDOW_NONE);
    free(reply);
    return owner;
}

void stopProcess(std::unique_ptr<QProcess> &process)
{
    if (!process)
        return;
    process->terminate();
    if (!process->waitForFinished(3000)) {
        process->kill();
        process->waitForFinished(3000);
    }
    process.reset();
}

} // namespace

XSession::~XSession()
{
    stopProcess(m_compositor);
    stopProcess(m_windowManager);
    if (m_connection)
        xcb_disconnect(m_connection);
    stopProcess(m_server);
}

bool XSession::selectionOwned(const char *selection) const
{
    return selectionOwner(m_connection, selection) != XCB_WINDOW_NONE;
}

bool XSession::waitForSelection(const char *selection, bool owned, int ms) const
{
    return waitFor([&] { return selectionOwned(selection) == owned; }, ms);
}

bool XSession::startServer(const QSize &size)
{
    // -displayfd: the server picks a free display itself and names it only once it
    // accepts clients. -noreset: otherwise the server resets, reloading its keymap,
    // each time its last client leaves, and drops a client that connects meanwhile.
    auto server = std::make_unique<QProcess>();
    server->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // -s 0: no screen saver blanking the screen under a long, quiet test.
    server->start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-noreset"),
                                           QStringLiteral("-s"), QStringLiteral("0"), QStringLiteral("-screen"), QStringLiteral("0"),
                                           QStringLiteral("%1x%2x24").arg(size.width()).arg(size.height()),
                                           QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!server->waitForStarted(5000)) {
        qWarning("Xvfb could not be started: %s", qPrintable(server->errorString()));
        return false;
    }
    QByteArray reported;
    QDeadlineTimer deadline(30000);
    while (!reported.contains('\n')) {
        if (server->state() != QProcess::Running || deadline.hasExpired()) {
            qWarning("Xvfb did not report its display (%s, exit code %d)",
                     server->state() == QProcess::Running ? "still running" : "exited", server->exitCode());
            return false;
        }
        server->waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
        reported += server->readAllStandardOutput();
    }
    m_server = std::move(server);
    m_display = QStringLiteral(":%1").arg(reported.trimmed().toInt());
    qputenv("DISPLAY", m_display.toLocal8Bit());
    m_connection = xcb_connect(m_display.toLocal8Bit().constData(), nullptr);
    if (xcb_connection_has_error(m_connection)) {
        qWarning("Cannot connect to the private X server %s", qPrintable(m_display));
        return false;
    }
    return true;
}

// What the window manager did, for a failure message.
QString XSession::windowManagerReport()
{
    if (!m_windowManager)
        return QStringLiteral("not started");
    const bool running = m_windowManager->state() == QProcess::Running;
    const QString output = QString::fromLocal8Bit(m_windowManager->readAll()).trimmed();
    return QStringLiteral("openbox %1, WM_S0 owner 0x%2, server %3, output: \"%4\"")
            .arg(running ? QStringLiteral("running") : QStringLiteral("exited with code %1").arg(m_windowManager->exitCode()))
            .arg(selectionOwner(m_connection, "WM_S0"), 0, 16)
            .arg(m_server && m_server->state() == QProcess::Running ? QStringLiteral("running") : QStringLiteral("gone"))
            .arg(output);
}

bool XSession::startWindowManager()
{
    // A second start is only a fallback; the report says what went wrong first.
    for (int attempt = 0; attempt < 2; ++attempt) {
        stopProcess(m_windowManager);
        m_windowManager = std::make_unique<QProcess>();
        m_windowManager->setProcessChannelMode(QProcess::MergedChannels);
        m_windowManager->start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        if (m_windowManager->waitForStarted(5000) && waitForSelection("WM_S0", true, 15000))
            return true;
        qWarning("openbox did not take the display %s: %s", qPrintable(m_display), qPrintable(windowManagerReport()));
    }
    return false;
}

bool XSession::start(bool windowManager)
{
    return start(windowManager, {QRect(0, 0, 1280, 1024)});
}

bool XSession::splitIntoMonitors(const QList<QRect> &monitors)
{
    for (int i = 0; i < monitors.size(); ++i) {
        const QRect &m = monitors.at(i);
        // The first monitor takes over the server's one output; the others have none.
        const QString geometry = QStringLiteral("%1/%2x%3/%4+%5+%6")
                                         .arg(m.width()).arg(m.width() / 4).arg(m.height()).arg(m.height() / 4)
                                         .arg(m.x()).arg(m.y());
        const QStringList arguments{QStringLiteral("--setmonitor"), QStringLiteral("M%1").arg(i + 1), geometry,
                                    i == 0 ? QStringLiteral("screen") : QStringLiteral("none")};
        QProcess xrandr;
        xrandr.setStandardOutputFile(QProcess::nullDevice());
        xrandr.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        xrandr.start(QStringLiteral("xrandr"), arguments);
        if (!xrandr.waitForFinished(10000) || xrandr.exitCode() != 0) {
            qWarning("xrandr %s failed", qPrintable(arguments.join(QLatin1Char(' '))));
            return false;
        }
    }
    return true;
}

bool XSession::start(bool windowManager, const QList<QRect> &monitors)
{
    QRect all;
    for (const QRect &monitor : monitors)
        all |= monitor;
    if (!startServer(all.size()))
        return false;
    if (monitors.size() > 1 && !splitIntoMonitors(monitors))
        return false;
    if (!windowManager)
        return true;
    if (!startWindowManager())
        return false;
    // The window manager owns its selection before it is ready to manage windows, and
    // a window mapped in between is never framed: probe with fresh windows until one is.
    QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        TestWindow probe(QStringLiteral("probe"), QRect(0, 0, 10, 10), 0);
        if (probe.waitShown(1000))
            return true;
    }
    qWarning("openbox on %s does not show windows: %s", qPrintable(m_display), qPrintable(windowManagerReport()));
    return false;
}

bool XSession::startCompositor()
{
    m_compositor = std::make_unique<QProcess>();
    m_compositor->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_compositor->start(QStringLiteral("xcompmgr"), {});
    return m_compositor->waitForStarted(5000) && waitForSelection("_NET_WM_CM_S0", true, 15000);
}

void XSession::stopCompositor()
{
    stopProcess(m_compositor);
    waitForSelection("_NET_WM_CM_S0", false, 5000);
}

struct TestWindow::Private
{
    xcb_connection_t *c = nullptr;
    xcb_window_t root = 0;
    xcb_gcontext_t gc = 0;
    QRect geometry;
    std::vector<quint32> pixels;
};

TestWindow::TestWindow(const QString &title, const QRect &geometry, quint32 rgb, const QString &className, quint32 owner)
    : d(std::make_unique<Private>())
{
    d->c = xcb_connect(nullptr, nullptr);
    d->root = rootOf(d->c);
    d->geometry = geometry;
    m_window = xcb_generate_id(d->c);
    const uint32_t values[] = {rgb, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(d->c, XCB_COPY_FROM_PARENT, m_window, d->root, int16_t(geometry.x()), int16_t(geometry.y()),
                      uint16_t(geometry.width()), uint16_t(geometry.height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    setTitle(title);
    const QByteArray wmClass = className.toLatin1() + '\0' + className.toLatin1() + '\0';
    xcb_change_property(d->c, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        uint32_t(wmClass.size()), wmClass.constData());
    // Ask the window manager to keep the requested position.
    xcb_size_hints_t hints{};
    xcb_icccm_size_hints_set_position(&hints, 1, geometry.x(), geometry.y());
    xcb_icccm_size_hints_set_size(&hints, 1, geometry.width(), geometry.height());
    xcb_icccm_set_wm_normal_hints(d->c, m_window, &hints);
    if (owner)
        xcb_icccm_set_wm_transient_for(d->c, m_window, owner);
    xcb_map_window(d->c, m_window);
    xcb_flush(d->c);
}

TestWindow::~TestWindow()
{
    if (m_window)
        xcb_destroy_window(d->c, m_window);
    xcb_disconnect(d->c);
}

void TestWindow::sync()
{
    free(xcb_get_input_focus_reply(d->c, xcb_get_input_focus(d->c), nullptr));
}

bool TestWindow::waitShown(int timeoutMs)
{
    const xcb_atom_t extents = internAtom(d->c, "_NET_FRAME_EXTENTS");
    // A window manager that frames windows says so; a Wayland compositor's X11 side
    // shows them without frames.
    const bool managed = selectionOwner(d->c, "WM_S0") != XCB_WINDOW_NONE && supportsAtom(d->c, extents);
    return waitFor(
            [&] {
                auto *attributes = xcb_get_window_attributes_reply(d->c, xcb_get_window_attributes(d->c, m_window), nullptr);
                const bool viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
                free(attributes);
                if (!viewable || !managed)
                    return viewable;
                auto *property = xcb_get_property_reply(
                        d->c, xcb_get_property(d->c, 0, m_window, extents, XCB_ATOM_CARDINAL, 0, 4), nullptr);
                const bool framed = property && property->value_len == 4;
                free(property);
                return framed;
            },
            timeoutMs)
           && (QThread::msleep(100), true);
}

void TestWindow::fill(quint32 rgb)
{
    const uint32_t values[] = {rgb};
    xcb_change_window_attributes(d->c, m_window, XCB_CW_BACK_PIXEL, values);
    xcb_clear_area(d->c, 0, m_window, 0, 0, 0, 0);
    xcb_flush(d->c);
}

void TestWindow::animate(int step)
{
    if (!d->gc) {
        d->gc = xcb_generate_id(d->c);
        xcb_create_gc(d->c, d->gc, m_window, 0, nullptr);
    }
    // A patch of noise (like moving cards and chips) and a bar sweeping across.
    const int width = qMin(240, d->geometry.width()), height = qMin(160, d->geometry.height());
    d->pixels.resize(size_t(width) * height);
    quint32 state = 2654435761u * quint32(step + 1);
    for (quint32 &pixel : d->pixels) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        pixel = state & 0xffffff;
    }
    const int x = (step * 37) % qMax(1, d->geometry.width() - width);
    const int y = (step * 23) % qMax(1, d->geometry.height() - height);
    xcb_put_image(d->c, XCB_IMAGE_FORMAT_Z_PIXMAP, m_window, d->gc, uint16_t(width), uint16_t(height), int16_t(x),
                  int16_t(y), 0, 24, uint32_t(d->pixels.size() * 4), reinterpret_cast<const uint8_t *>(d->pixels.data()));
    const uint32_t colour[] = {0x30a050u + quint32(step % 64)};
    xcb_change_gc(d->c, d->gc, XCB_GC_FOREGROUND, colour);
    const xcb_rectangle_t bar{int16_t((step * 11) % d->geometry.width()), 0, 20, uint16_t(d->geometry.height())};
    xcb_poly_fill_rectangle(d->c, m_window, d->gc, 1, &bar);
    xcb_flush(d->c);
}

void TestWindow::addChild(const QRect &geometry, quint32 rgb)
{
    const xcb_window_t child = xcb_generate_id(d->c);
    const uint32_t values[] = {rgb};
    xcb_create_window(d->c, XCB_COPY_FROM_PARENT, child, m_window, int16_t(geometry.x()), int16_t(geometry.y()),
                      uint16_t(geometry.width()), uint16_t(geometry.height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL, values);
    xcb_map_window(d->c, child);
    xcb_flush(d->c);
    sync();
    QThread::msleep(100);
}

void TestWindow::setTitle(const QString &title)
{
    const QByteArray utf8 = title.toUtf8();
    xcb_change_property(d->c, XCB_PROP_MODE_REPLACE, m_window, internAtom(d->c, "_NET_WM_NAME"),
                        internAtom(d->c, "UTF8_STRING"), 8, uint32_t(utf8.size()), utf8.constData());
    const QByteArray latin = title.toLatin1();
    xcb_change_property(d->c, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        uint32_t(latin.size()), latin.constData());
    xcb_flush(d->c);
}

void TestWindow::move(int x, int y)
{
    const uint32_t values[] = {uint32_t(x), uint32_t(y)};
    xcb_configure_window(d->c, m_window, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, values);
    xcb_flush(d->c);
    sync();
    QThread::msleep(150);
}

void TestWindow::resize(int width, int height)
{
    const uint32_t values[] = {uint32_t(width), uint32_t(height)};
    xcb_configure_window(d->c, m_window, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, values);
    xcb_flush(d->c);
    sync();
    QThread::msleep(150);
}

void TestWindow::minimise()
{
    // ICCCM: ask the window manager to iconify.
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = m_window;
    event.type = internAtom(d->c, "WM_CHANGE_STATE");
    event.data.data32[0] = XCB_ICCCM_WM_STATE_ICONIC;
    xcb_send_event(d->c, 0, d->root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&event));
    xcb_flush(d->c);
    sync();
    QThread::msleep(200);
}

void TestWindow::restore()
{
    xcb_map_window(d->c, m_window);
    xcb_flush(d->c);
    waitShown();
}

void TestWindow::raise()
{
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = m_window;
    event.type = internAtom(d->c, "_NET_ACTIVE_WINDOW");
    event.data.data32[0] = 2;
    xcb_send_event(d->c, 0, d->root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&event));
    xcb_flush(d->c);
    sync();
    QThread::msleep(200);
}

void TestWindow::close()
{
    xcb_destroy_window(d->c, m_window);
    m_window = 0;
    xcb_flush(d->c);
    sync();
    QThread::msleep(150);
}

void pressPointer(bool down)
{
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    xcb_test_fake_input(c, down ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    xcb_disconnect(c);
}

void pressKey(quint32 keysym)
{
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    const xcb_setup_t *setup = xcb_get_setup(c);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t *mapping = xcb_get_keyboard_mapping_reply(
            c, xcb_get_keyboard_mapping(c, setup->min_keycode, uint8_t(count)), nullptr);
    uint8_t keycode = 0;
    if (mapping) {
        const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(mapping);
        for (int i = 0; i < count * mapping->keysyms_per_keycode && !keycode; ++i) {
            if (syms[i] == keysym)
                keycode = uint8_t(setup->min_keycode + i / mapping->keysyms_per_keycode);
        }
        free(mapping);
    }
    if (keycode) {
        xcb_test_fake_input(c, XCB_KEY_PRESS, keycode, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_test_fake_input(c, XCB_KEY_RELEASE, keycode, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    }
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    xcb_disconnect(c);
}

void movePointer(int x, int y)
{
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    xcb_test_fake_input(c, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, rootOf(c), int16_t(x), int16_t(y), 0);
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    xcb_disconnect(c);
    QThread::msleep(50);
}

QList<quint32> mappedChildren(quint32 window)
{
    QList<quint32> children;
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    xcb_query_tree_reply_t *tree = xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr);
    if (tree) {
        const xcb_window_t *ids = xcb_query_tree_children(tree);
        for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
            xcb_get_window_attributes_reply_t *attributes
                    = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, ids[i]), nullptr);
            if (attributes && attributes->map_state != XCB_MAP_STATE_UNMAPPED)
                children << ids[i];
            free(attributes);
        }
        free(tree);
    }
    xcb_disconnect(c);
    return children;
}
