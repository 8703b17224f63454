#pragma once

#include "app/bc_ret.h"

#include <QString>

// The program's place on the freedesktop desktop: starting with the session, and
// progress on its launcher icon.
namespace desktop {

// The desktop id the program is installed under (brindlecast.desktop).
inline constexpr char kDesktopId[] = "brindlecast.desktop";

// ~/.config/autostart/Brindlecast.desktop (or under XDG_CONFIG_HOME).
QString autostartFile();
// Writes the entry that starts commandLine with the session, atomically.
bc_ret enableAutostart(const QString &commandLine);
// Removes it; nothing to do when there is none.
bc_ret disableAutostart();

// Progress on the launcher icon (done out of total); total 0 removes it. Nothing
// happens without a session bus.
void setLauncherProgress(qint64 done, qint64 total);

} // namespace desktop
