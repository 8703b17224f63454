#pragma once

#include "app/bc_ret.h"

#include <QDialog>
#include <QLineEdit>
#include <QList>
#include <QObject>
#include <QRect>
#include <QTimer>

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QStackedWidget;

// A small window in the bottom-right corner that tells of an event without taking
// the focus, and closes itself after 20 seconds.
class Notifier : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kCloseMs = 20000;

    explicit Notifier(QWidget *parent = nullptr);
    void setTitle(const QString &text);
    QFrame *content() const { return m_frmContent; }
    QTimer &closeTimer() { return m_closeTimer; }

public slots:
    void accept() override;
    void reject() override;

protected:
    QTimer m_closeTimer;

private:
    QLabel *m_lblFrameTitle;
    QFrame *m_frmContent;
};

// Stacks the notifiers upwards from the bottom-right corner above the panel.
class NotifierQueue : public QObject
{
    Q_OBJECT
public:
    static constexpr int kWidth = 260;
    static constexpr int kHeight = 100;
    static constexpr int kMargin = 8;

    explicit NotifierQueue(QObject *parent = nullptr);
    ~NotifierQueue() override;
    static NotifierQueue *instance();

    // Where the notifier at index (0: the newest) goes, in an available area.
    static QPoint place(const QRect &available, int index);

    // Takes the notifier and shows it lowest.
    void add(Notifier *notifier);
    void remove(Notifier *notifier);
    void closeAll();
    const QList<Notifier *> &notifiers() const { return m_notifiers; }

public slots:
    void onDisplayChanged();

private:
    void replace();

    static NotifierQueue *s_instance;
    QList<Notifier *> m_notifiers;
    QRect m_available;
};

// A new version is ready: restart to install it, or not now. Waits for an answer.
class NewUpdateNotifier : public Notifier
{
    Q_OBJECT
public:
    explicit NewUpdateNotifier(QWidget *parent = nullptr);

protected:
    // The title follows a language switch.
    void changeEvent(QEvent *event) override;
};

// A line edit that says when it gains or loses the focus.
class FocusLineEdit : public QLineEdit
{
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

signals:
    void focusedIn();
    void focusedOut();

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
};

// A recording is being saved: its progress, and a field to give it a title.
class NewVideoNotifier : public Notifier
{
    Q_OBJECT
public:
    explicit NewVideoNotifier(int number, QWidget *parent = nullptr);
    FocusLineEdit *titleEdit() const { return m_txtVideoTitle; }

signals:
    void videoTitleSet(const QString &title);

public slots:
    void accept() override;
    void onBuildProgress(int progress);
    void onBuildFinished(const bc_ret &result, const QString &file);
    void textFocusedIn();
    void textFocusedOut();

protected:
    // The title and the title box's hint follow a language switch.
    void changeEvent(QEvent *event) override;

private:
    FocusLineEdit *m_txtVideoTitle;
    int m_number = 0;
    QPushButton *m_btnEnter;
    QStackedWidget *m_progressStack;
    QProgressBar *m_pgbAssembleVideo;
    QLabel *m_lblResult;
};
