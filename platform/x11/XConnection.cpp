#include "platform/x11/XConnection.h"

#include "app/Log.h"
#include "platform/x11/DamageWatch.h"

#include <xcb/composite.h>
#include <xcb/randr.h>
#include <xcb/res.h>
#include <xcb/shm.h>
#include <xcb/xfixes.h>

#include <cstdlib>

XConnection::~XConnection()
{
    m_damage.reset();
    if (m_connection)
        xcb_disconnect(m_connection);
}

std::shared_ptr<XConnection> XConnection::forCurrentThread()
{
    thread_local std::shared_ptr<XConnection> connection;
    thread_local bool tried = false;
    if (!tried) {
        tried = true;
        std::shared_ptr<XConnection> c(new XConnection);
        if (c->open())
            connection = std::move(c);
    }
    return connection;
}

bool XConnection::open()
{
    m_connection = xcb_connect(nullptr, &m_screenNumber);
    if (xcb_connection_has_error(m_connection)) {
        logError(QStringLiteral("Can not connect to the X server (DISPLAY=%1)").arg(qEnvironmentVariable("DISPLAY")));
        xcb_disconnect(m_connection);
        m_connection = nullptr;
        return false;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < m_screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    m_root = it.data->root;

    // Ask for every extension at once, then collect the answers.
    const auto shmCookie = xcb_shm_query_version(m_connection);
    const auto compositeCookie = xcb_composite_query_version(m_connection, 0, 4);
    const auto fixesCookie = xcb_xfixes_query_version(m_connection, 6, 0);
    const auto resCookie = xcb_res_query_version(m_connection, 1, 2);
    static constexpr char kXWayland[] = "XWAYLAND";
    const auto xwaylandCookie = xcb_query_extension(m_connection, uint16_t(sizeof kXWayland - 1), kXWayland);
    m_hasShm = makeReply(xcb_shm_query_version_reply(m_connection, shmCookie, XErrorSink())) != nullptr;
    m_hasComposite = makeReply(xcb_composite_query_version_reply(m_connection, compositeCookie, XErrorSink())) != nullptr;
    m_hasXFixes = makeReply(xcb_xfixes_query_version_reply(m_connection, fixesCookie, XErrorSink())) != nullptr;
    m_hasRes = makeReply(xcb_res_query_version_reply(m_connection, resCookie, XErrorSink())) != nullptr;
    const auto xwayland = makeReply(xcb_query_extension_reply(m_connection, xwaylandCookie, XErrorSink()));
    m_isXWayland = (xwayland && xwayland->present) || hasXWaylandOutputs();
    return true;
}

bool XConnection::hasXWaylandOutputs() const
{
    // Older XWaylands say who they are only in the names of their outputs.
    auto resources = makeReply(xcb_randr_get_screen_resources_current_reply(
            m_connection, xcb_randr_get_screen_resources_current(m_connection, m_root), XErrorSink()));
    if (!resources)
        return false;
    const xcb_randr_output_t *outputs = xcb_randr_get_screen_resources_current_outputs(resources.get());
    const int count = xcb_randr_get_screen_resources_current_outputs_length(resources.get());
    for (int i = 0; i < count; ++i) {
        auto info = makeReply(xcb_randr_get_output_info_reply(
                m_connection, xcb_randr_get_output_info(m_connection, outputs[i], resources->config_timestamp), XErrorSink()));
        if (!info)
            continue;
        const QByteArray name(reinterpret_cast<const char *>(xcb_randr_get_output_info_name(info.get())),
                              xcb_randr_get_output_info_name_length(info.get()));
        if (name.startsWith("XWAYLAND"))
            return true;
    }
    return false;
}

xcb_atom_t XConnection::atom(const char *name)
{
    const QByteArray key(name);
    const auto found = m_atoms.constFind(key);
    if (found != m_atoms.constEnd())
        return *found;
    auto reply = makeReply(xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, uint16_t(key.size()), key.constData()), XErrorSink()));
    const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    m_atoms.insert(key, value);
    return value;
}

DamageWatch *XConnection::damage()
{
    // A grabber may end on another thread than the one it worked on.
    std::call_once(m_damageMade, [this] { m_damage = std::make_unique<DamageWatch>(m_connection, m_root); });
    return m_damage.get();
}
