#pragma once

// Test support: answers the message box a call is about to show (it runs its own
// event loop, so the answer is given from a timer).

#include <QApplication>
#include <QMessageBox>
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
