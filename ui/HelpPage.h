#pragma once

#include "app/bc_ret.h"

#include <QString>

// What the quick start page says about this desktop.
struct HelpFacts
{
    // The desktop shows tray icons: closing the main window leaves the program there.
    bool tray = true;
    // The program starts with the user's session.
    bool autostart = true;
};

// The quick start page in a language (by its English name, English when the
// language has none), with the paragraphs that fit the facts: a paragraph marked
// data-when="tray", "notray", "autostart" or "noautostart" is kept only when it does.
QString helpPageHtml(const QString &language, const HelpFacts &facts);
// The same page written (atomically) to path, for the desktop's browser.
bc_ret writeHelpPage(const QString &path, const QString &language, const HelpFacts &facts);
