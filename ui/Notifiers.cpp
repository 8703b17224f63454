#include "ui/Notifiers.h"

#include "ui/MyApplication.h"
#include "ui/Translated.h"

#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

QFrame *line(const QString &name, QFrame::Shape shape, QWidget *parent)
{
    auto *frame = new QFrame(parent);
    frame->setObjectName(name);
    frame->setFrameShape(shape);
    return frame;
}

QLabel *picture(const QString &name, const QString &resource, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setPixmap(QPixmap(resource));
    return label;
}

} // namespace

Notifier::Notifier(QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("Notifier"));
    // Tells, never takes the keyboard from what the user is doing.
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto *frmNotifierExt = new QFrame(this);
    frmNotifierExt->setObjectName(QStringLiteral("frmNotifierExt"));
    outer->addWidget(frmNotifierExt);
    auto *extLayout = new QVBoxLayout(frmNotifierExt);
    extLayout->setContentsMargins(1, 1, 1, 1);
    auto *frmNotifier = new QFrame(frmNotifierExt);
    frmNotifier->setObjectName(QStringLiteral("frmNotifier"));
    extLayout->addWidget(frmNotifier);
    auto *column = new QVBoxLayout(frmNotifier);
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(2);
    auto *frmTitle = new QFrame(frmNotifier);
    frmTitle->setObjectName(QStringLiteral("frmTitle"));
    auto *titleRow = new QHBoxLayout(frmTitle);
    titleRow->setContentsMargins(0, 0, 0, 0);
    titleRow->addWidget(picture(QStringLiteral("lblLogo"), QStringLiteral(":/images/logo_notifier.png"), frmTitle));
    m_lblFrameTitle = new QLabel(tr("- Saving video"), frmTitle);
    m_lblFrameTitle->setObjectName(QStringLiteral("lblFrameTitle"));
    titleRow->addWidget(m_lblFrameTitle, 1);
    titleRow->addWidget(line(QStringLiteral("vLine"), QFrame::VLine, frmTitle));
    auto *btnClose = new QPushButton(QStringLiteral("\u00d7"), frmTitle);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setFlat(true);
    setTranslatedToolTip(btnClose, "Notifier", QT_TRANSLATE_NOOP("Notifier", "Close"));
    titleRow->addWidget(btnClose);
    column->addWidget(frmTitle);
    column->addWidget(line(QStringLiteral("hLine"), QFrame::HLine, frmNotifier));
    m_frmContent = new QFrame(frmNotifier);
    m_frmContent->setObjectName(QStringLiteral("frmContent"));
    column->addWidget(m_frmContent, 1);

    connect(btnClose, &QAbstractButton::clicked, this, &Notifier::reject);
    m_closeTimer.setInterval(kCloseMs);
    connect(&m_closeTimer, &QTimer::timeout, this, &Notifier::reject);
    m_closeTimer.start();
}

void Notifier::setTitle(const QString &text)
{
    m_lblFrameTitle->setText(text);
}

void Notifier::accept()
{
    m_closeTimer.stop();
    QDialog::accept();
    if (NotifierQueue *queue = NotifierQueue::instance())
        queue->remove(this);
}

void Notifier::reject()
{
    m_closeTimer.stop();
    QDialog::reject();
    if (NotifierQueue *queue = NotifierQueue::instance())
        queue->remove(this);
}

NotifierQueue *NotifierQueue::s_instance = nullptr;

NotifierQueue::NotifierQueue(QObject *parent)
    : QObject(parent)
{
    s_instance = this;
    if (auto *app = qobject_cast<MyApplication *>(QCoreApplication::instance()))
        connect(app, &MyApplication::displayChanged, this, &NotifierQueue::onDisplayChanged);
    // A panel appearing or a resolution change moves the bottom edge.
    if (QScreen *primary = QGuiApplication::primaryScreen())
        connect(primary, &QScreen::availableGeometryChanged, this, &NotifierQueue::onDisplayChanged);
    onDisplayChanged();
}

NotifierQueue::~NotifierQueue()
{
    closeAll();
    if (s_instance == this)
        s_instance = nullptr;
}

NotifierQueue *NotifierQueue::instance()
{
    return s_instance;
}

QPoint NotifierQueue::place(const QRect &available, int index)
{
    const int left = available.x() + available.width() - kWidth;
    const int bottom = available.y() + available.height();
    return QPoint(left - kMargin, bottom - (kHeight + kMargin) * (index + 1));
}

void NotifierQueue::add(Notifier *notifier)
{
    notifier->setParent(nullptr, notifier->windowFlags());
    notifier->setFixedSize(kWidth, kHeight);
    m_notifiers.prepend(notifier);
    replace();
    notifier->show();
}

void NotifierQueue::remove(Notifier *notifier)
{
    if (!m_notifiers.removeOne(notifier))
        return;
    replace();
    notifier->deleteLater();
}

void NotifierQueue::closeAll()
{
    const QList<Notifier *> open = m_notifiers;
    for (Notifier *notifier : open)
        notifier->close();
}

void NotifierQueue::onDisplayChanged()
{
    // The panel is taken to lie along the bottom of the primary screen.
    const QScreen *primary = QGuiApplication::primaryScreen();
    m_available = primary ? primary->availableGeometry() : QRect(0, 0, 1024, 768);
    replace();
}

void NotifierQueue::replace()
{
    for (int i = 0; i < m_notifiers.size(); ++i)
        m_notifiers.at(i)->move(place(m_available, i));
}

NewUpdateNotifier::NewUpdateNotifier(QWidget *parent)
    : Notifier(parent)
{
    setObjectName(QStringLiteral("NewUpdateNotifier"));
    setTitle(tr("- New update"));
    auto *row = new QHBoxLayout(content());
    row->addWidget(picture(QStringLiteral("lblQuestionLogo"), QStringLiteral(":/images/small_icon.png"), content()));
    auto *column = new QVBoxLayout;
    auto *question = new QLabel(content());
    setTranslatedText(question, "NewUpdateNotifier",
                      QT_TRANSLATE_NOOP("NewUpdateNotifier", "Do you want to restart Brindlecast to install the update?"));
    question->setObjectName(QStringLiteral("lblRestartQuestion"));
    question->setWordWrap(true);
    column->addWidget(question);
    auto *buttons = new QHBoxLayout;
    auto *btnRestart = new QPushButton(content());
    setTranslatedText(btnRestart, "NewUpdateNotifier", QT_TRANSLATE_NOOP("NewUpdateNotifier", "Restart"));
    btnRestart->setObjectName(QStringLiteral("btnRestart"));
    auto *btnNotNow = new QPushButton(content());
    setTranslatedText(btnNotNow, "NewUpdateNotifier", QT_TRANSLATE_NOOP("NewUpdateNotifier", "Not now"));
    btnNotNow->setObjectName(QStringLiteral("btnNotNow"));
    buttons->addWidget(btnRestart);
    buttons->addWidget(btnNotNow);
    column->addLayout(buttons);
    row->addLayout(column, 1);
    connect(btnRestart, &QAbstractButton::clicked, this, &Notifier::accept);
    connect(btnNotNow, &QAbstractButton::clicked, this, &Notifier::reject);
    // Stays until answered.
    m_closeTimer.stop();
}

void NewUpdateNotifier::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        setTitle(tr("- New update"));
    Notifier::changeEvent(event);
}

void FocusLineEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    emit focusedIn();
}

void FocusLineEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    emit focusedOut();
}

NewVideoNotifier::NewVideoNotifier(int number, QWidget *parent)
    : Notifier(parent)
{
    setObjectName(QStringLiteral("NewVideoNotifier"));
    m_number = number;
    setTitle(tr("- Saving video #%1").arg(number));
    auto *column = new QVBoxLayout(content());
    auto *row = new QHBoxLayout;
    m_txtVideoTitle = new FocusLineEdit(content());
    m_txtVideoTitle->setObjectName(QStringLiteral("txtVideoTitle"));
    m_txtVideoTitle->setPlaceholderText(tr("Enter a title..."));
    m_txtVideoTitle->setStyleSheet(QStringLiteral("font-style: italic"));
    row->addWidget(m_txtVideoTitle, 1);
    m_btnEnter = new QPushButton(content());
    setTranslatedText(m_btnEnter, "NewVideoNotifier", QT_TRANSLATE_NOOP("NewVideoNotifier", "OK"));
    m_btnEnter->setObjectName(QStringLiteral("btnEnter"));
    row->addWidget(m_btnEnter);
    column->addLayout(row);
    m_progressStack = new QStackedWidget(content());
    m_progressStack->setObjectName(QStringLiteral("progressStack"));
    auto *frmProgress = new QFrame(m_progressStack);
    frmProgress->setObjectName(QStringLiteral("frmProgress"));
    auto *progressRow = new QHBoxLayout(frmProgress);
    progressRow->setContentsMargins(0, 0, 0, 0);
    m_pgbAssembleVideo = new QProgressBar(frmProgress);
    m_pgbAssembleVideo->setObjectName(QStringLiteral("pgbAssembleVideo"));
    m_pgbAssembleVideo->setRange(0, 100);
    m_pgbAssembleVideo->setValue(0);
    progressRow->addWidget(m_pgbAssembleVideo);
    auto *frmProgressFinished = new QFrame(m_progressStack);
    frmProgressFinished->setObjectName(QStringLiteral("frmProgressFinished"));
    auto *finishedRow = new QHBoxLayout(frmProgressFinished);
    finishedRow->setContentsMargins(0, 0, 0, 0);
    finishedRow->addWidget(picture(QStringLiteral("lblSuccess"), QStringLiteral(":/images/check.png"), frmProgressFinished));
    m_lblResult = new QLabel(tr("Video saved"), frmProgressFinished);
    m_lblResult->setObjectName(QStringLiteral("lblResult"));
    finishedRow->addWidget(m_lblResult, 1);
    m_progressStack->addWidget(frmProgress);
    m_progressStack->addWidget(frmProgressFinished);
    column->addWidget(m_progressStack);

    connect(m_btnEnter, &QAbstractButton::clicked, this, &NewVideoNotifier::accept);
    connect(m_txtVideoTitle, &QLineEdit::returnPressed, this, &NewVideoNotifier::accept);
    // While the user types a title it stays; 20 s after they leave the field it goes.
    connect(m_txtVideoTitle, &FocusLineEdit::focusedIn, &m_closeTimer, &QTimer::stop);
    connect(m_txtVideoTitle, &FocusLineEdit::focusedOut, &m_closeTimer, qOverload<>(&QTimer::start));
    connect(m_txtVideoTitle, &FocusLineEdit::focusedIn, this, &NewVideoNotifier::textFocusedIn);
    connect(m_txtVideoTitle, &FocusLineEdit::focusedOut, this, &NewVideoNotifier::textFocusedOut);
}

void NewVideoNotifier::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        setTitle(tr("- Saving video #%1").arg(m_number));
        m_txtVideoTitle->setPlaceholderText(tr("Enter a title..."));
    }
    Notifier::changeEvent(event);
}

void NewVideoNotifier::accept()
{
    const QString title = m_txtVideoTitle->text().trimmed();
    if (!title.isEmpty())
        emit videoTitleSet(title);
    Notifier::accept();
}

void NewVideoNotifier::onBuildProgress(int progress)
{
    m_pgbAssembleVideo->setValue(progress);
}

void NewVideoNotifier::onBuildFinished(const bc_ret &result, const QString &)
{
    if (result.ok())
        m_pgbAssembleVideo->setValue(100);
    m_progressStack->setCurrentIndex(1);
    m_lblResult->setStyleSheet(QStringLiteral("color: rgb(141, 222, 59)"));
}

void NewVideoNotifier::textFocusedIn()
{
    m_txtVideoTitle->setStyleSheet(QStringLiteral("font-style: normal"));
}

void NewVideoNotifier::textFocusedOut()
{
    if (m_txtVideoTitle->text().isEmpty())
        m_txtVideoTitle->setStyleSheet(QStringLiteral("font-style: italic"));
}
