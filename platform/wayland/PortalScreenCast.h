#pragma once

#include "app/bc_ret.h"

#include <QRect>
#include <QString>

// The desktop portal's screen sharing: asks the desktop for one monitor's picture and
// opens its PipeWire remote. The user is asked once: the desktop's token for the choice
// is kept in the program's folder and offered the next time. Blocking: each step waits
// for the desktop's answer in a local event loop of the calling thread.
class PortalScreenCast
{
public:
    // The shared monitor: its stream's node and where it lies on the desktop (empty when
    // the desktop does not say).
    struct Shared
    {
        int fd = -1; // the PipeWire remote, for the caller to take over
        quint32 node = 0;
        QRect geometry;
    };

    PortalScreenCast() = default;
    ~PortalScreenCast(); // ends the sharing
    PortalScreenCast(const PortalScreenCast &) = delete;
    PortalScreenCast &operator=(const PortalScreenCast &) = delete;

    bc_ret start(Shared &shared);
    // The shared pictures show the cursor.
    bool cursorEmbedded() const { return m_cursorMode == 2; }

private:
    bc_ret createSession();
    bc_ret selectSources();
    bc_ret startSharing(Shared &shared);
    bc_ret openRemote(Shared &shared);

    QString m_session;
    quint32 m_cursorMode = 0;
    bool m_canPersist = false;
    // How long a step may wait for the desktop: a step may show the user a choice.
    int m_timeoutMs = 120000;
};

// The file the desktop's token for the shared monitor is kept in.
QString screenCastTokenPath();
