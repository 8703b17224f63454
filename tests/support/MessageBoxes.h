#pragma once

// Test support: answers the message box a call is about to show (it runs its own
// event loop, so the answer is given from a timer).

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

// Clicks button on the next message box and reports "title|text" in seen.
inline void answerNextMessageBox(QMessageBox::StandardButton button, QString *seen, int patienceMs = 20000)
{
    QTimer::singleShot(0, [button, seen, patienceMs] {
        if (!QTest::qWaitFor([] { return qobject_cast<QMessageBox *>(QApplication::activeModalWidget()); }, patienceMs))
            return;
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        *seen = box->windowTitle() + QLatin1Char('|') + box->text();
        box->button(button)->click();
    });
}

// Answers every message box shown while it lives with button, in turn, keeping
// "title|text" of each (for calls that show several boxes one after the other).
class MessageBoxAnswerer : public QObject
{
public:
    explicit MessageBoxAnswerer(QMessageBox::StandardButton button)
        : m_button(button)
    {
        connect(&m_timer, &QTimer::timeout, this, &MessageBoxAnswerer::answer);
        m_timer.start(20);
    }
    QStringList seen;

private:
    void answer()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || box == m_answered)
            return;
        m_answered = box;
        seen.append(box->windowTitle() + QLatin1Char('|') + box->text());
        box->button(m_button)->click();
    }

    QMessageBox::StandardButton m_button;
    QTimer m_timer;
    QPointer<QMessageBox> m_answered;
};
