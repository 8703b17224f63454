#pragma once

// Test support: a window of another process, run from a program (a copy of
// x_test_window, often under a poker program's file name) that answers commands.

#include "platform/DesktopWindows.h"

#include <QProcess>
#include <QRect>
#include <QTest>

class ProgramWindow
{
public:
    static constexpr int kPatienceMs = 20000;

    // program: x_test_window or a copy of it; animate: the picture changes like a table's.
    ProgramWindow(const QString &program, const QString &title, const QRect &rect, bool animate = false)
    {
        QStringList arguments{title,
                              QString::number(rect.x()),
                              QString::number(rect.y()),
                              QString::number(rect.width()),
                              QString::number(rect.height()),
                              QStringLiteral("1f6f3f")};
        if (animate)
            arguments.append(QStringLiteral("animate"));
        m_process.start(program, arguments);
        if (m_process.waitForReadyRead(kPatienceMs))
            m_id = m_process.readLine().trimmed().toUInt();
    }
    ~ProgramWindow() { quit(); }

    WindowId id() const { return m_id; }
    // "minimise", "restore", "title TEXT", "move X Y": true once the program has done it.
    bool command(const QByteArray &line)
    {
        m_process.write(line + '\n');
        return m_process.waitForReadyRead(kPatienceMs) && m_process.readLine().trimmed() == "done";
    }
    // Opens a window owned by this one (a dialog); its id, 0 when it failed.
    WindowId openDialog()
    {
        m_process.write("dialog\n");
        return m_process.waitForReadyRead(kPatienceMs) ? m_process.readLine().trimmed().toUInt() : 0;
    }
    void quit()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.write("quit\n");
        if (!m_process.waitForFinished(kPatienceMs))
            m_process.kill();
        m_process.waitForFinished(kPatienceMs);
        // X reuses a departed client's window ids at once: the window manager must be
        // done with this window before a later one could take its id.
        if (!QTest::qWaitFor([this] { return !desktop::topLevelWindows().contains(m_id); }, kPatienceMs))
            qWarning("Window %u is still listed", m_id);
    }

private:
    QProcess m_process;
    WindowId m_id = 0;
};
