#include "ui/UpdateManager.h"

#include "app/AppExit.h"
#include "app/Log.h"
#include "app/Paths.h"
#include "net/HttpConnection.h"
#include "net/Updates.h"
#include "platform/ProgramFile.h"
#include "ui/NetOptionsDialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QTextStream>
#include <QUuid>
#include <QVBoxLayout>

namespace {

// The start-up check gives up within seconds: the program then runs the version it has,
// and the main window asks again later.
constexpr int kCheckRetries = 2;
constexpr int kCheckTimeoutSeconds = 8;
// A download is worth waiting for; the attempts spread out.
constexpr int kDownloadRetries = 8;
// How long the splash tells that the check could not be made.
constexpr int kNoticeMs = 2500;
constexpr char kElevatedArgument[] = "updateMe";

QString newUuidText()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

// The error's texts for rich text, outermost first, each one escaped.
QString escapedMessages(const bc_ret &errors, const QString &separator)
{
    QStringList texts;
    for (auto entry = errors.entries().crbegin(); entry != errors.entries().crend(); ++entry) {
        if (!entry->text.isEmpty())
            texts.append(entry->text.toHtmlEscaped());
    }
    return texts.join(separator);
}

void setExitCommand(const PostExitCmdSptr &command)
{
    if (AppExit::instance())
        AppExit::instance()->setCommand(command);
}

} // namespace

UpdateManager::UpdateManager(const QStringList &arguments, const QString &checkUrl, QWidget *parent)
    : QFrame(parent, Qt::FramelessWindowHint)
    , m_arguments(arguments)
    , m_checkUrl(checkUrl)
{
    m_programPath = desktop::absoluteProgramPath(arguments.value(0));
    if (m_programPath.isEmpty())
        m_programPath = QCoreApplication::applicationFilePath();
    buildForm();
}

UpdateManager::~UpdateManager()
{
    logInfo(QStringLiteral("OnExit: %1").arg(AppExit::instance() ? AppExit::instance()->commandText() : QString()));
    // Requests still running end now; their answers no longer matter.
    m_stageOver = true;
    delete m_connection;
}

void UpdateManager::buildForm()
{
    setObjectName(QStringLiteral("UpdateManager"));
    setWindowTitle(QStringLiteral("Brindlecast"));
    setWindowIcon(QIcon(QStringLiteral(":/images/favicon_soft.png")));
    setStyleSheet(QStringLiteral("QFrame#UpdateManager {\nbackground-color: rgb(255, 255, 255);\nborder: 1px solid gray;\n}\n"
                                 "QFrame#frmUpdateDownload {\nborder: 0;\n}\n"));
    auto *layout = new QVBoxLayout(this);
    auto *lblLogo = new QLabel(this);
    lblLogo->setObjectName(QStringLiteral("lblLogo"));
    lblLogo->setPixmap(QPixmap(QStringLiteral(":/images/splash.png")));
    lblLogo->setAlignment(Qt::AlignCenter);
    m_lblVersion = new QLabel(QStringLiteral("v%1.%2").arg(QLatin1String(kVersion), QLatin1String(kRevision)), this);
    m_lblVersion->setObjectName(QStringLiteral("lblVersion"));
    m_lblVersion->setAlignment(Qt::AlignRight);
    m_lblUpdateStatus = new QLabel(this);
    m_lblUpdateStatus->setObjectName(QStringLiteral("lblUpdateStatus"));
    // A long status wraps instead of stretching the splash off its place.
    m_lblUpdateStatus->setWordWrap(true);
    m_frmUpdateDownload = new QFrame(this);
    m_frmUpdateDownload->setObjectName(QStringLiteral("frmUpdateDownload"));
    auto *download = new QHBoxLayout(m_frmUpdateDownload);
    download->setContentsMargins(0, 0, 0, 0);
    m_pgbUpdateDownload = new QProgressBar(m_frmUpdateDownload);
    m_pgbUpdateDownload->setObjectName(QStringLiteral("pgbUpdateDownload"));
    m_pgbUpdateDownload->setValue(0);
    m_btnCancel = new QPushButton(tr("Cancel"), m_frmUpdateDownload);
    m_btnCancel->setObjectName(QStringLiteral("btnCancel"));
    download->addWidget(m_pgbUpdateDownload, 1);
    download->addWidget(m_btnCancel);
    m_frmUpdateDownload->hide();
    m_lblServerUrl = new QLabel(QStringLiteral("<qt>&copy; %1</qt>").arg(serviceUrl().toHtmlEscaped()), this);
    m_lblServerUrl->setObjectName(QStringLiteral("lblServerUrl"));
    layout->addWidget(lblLogo);
    layout->addWidget(m_lblVersion);
    layout->addWidget(m_lblUpdateStatus);
    layout->addWidget(m_frmUpdateDownload);
    layout->addWidget(m_lblServerUrl);
    connect(m_btnCancel, &QAbstractButton::clicked, this, &UpdateManager::doCancelDownload);
    adjustSize();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

QString UpdateManager::status() const
{
    return m_lblUpdateStatus->text();
}

void UpdateManager::setStatus(const QString &text)
{
    m_lblUpdateStatus->setText(text);
}

void UpdateManager::runStartupCheck()
{
    setStatus(tr("Initializing network..."));
    // Started with the session the program stays out of sight unless something is wrong.
    if (m_arguments.value(1) != QLatin1String("autoLogin")) {
        show();
        QCoreApplication::processEvents();
    }
    m_connection = new HttpConnection;
    setStatus(tr("Searching for new update..."));
    auto *request = new UpdateCheckRequest(m_checkUrl);
    connect(request, &UpdateCheckRequest::checksumAnnounced, this, [this](const QString &sha256) {
        m_announcedSha256 = sha256;
    });
    connect(request, &UpdateCheckRequest::versionChecked, this, &UpdateManager::onVersionChecked);
    HttpConnection::post(request, kCheckRetries, kCheckTimeoutSeconds);
    QApplication::exec();
    if (!m_upToDate && !m_goesOn)
        setExitCommand(std::make_shared<DoNopCmd>());
}

void UpdateManager::endStage()
{
    m_stageOver = true;
    close();
    QCoreApplication::exit(0);
}

void UpdateManager::onVersionChecked(int status, const bc_ret &errors, const QString &url)
{
    if (m_stageOver)
        return;
    if (errors.failed())
        logInfo(errors.details(QStringLiteral(": ")));
    m_lblUpdateStatus->clear();
    switch (status) {
    case UpdateCheckRequest::Current:
        m_upToDate = true;
        endStage();
        return;
    case UpdateCheckRequest::InstallUpdate:
        offerUpdate(url);
        return;
    case UpdateCheckRequest::NewVersion:
        QMessageBox::information(this, tr("New version"),
                                 tr("A new version is available <a href=\"%1\">here</a>.").arg(url.toHtmlEscaped()));
        break;
    case UpdateCheckRequest::NetworkFailure:
        tellCheckNotMade(errors);
        return;
    default:
        showUpdateError(tr("Error in update protocol."), errors);
        m_goesOn = true;
        break;
    }
    endStage();
}

void UpdateManager::tellCheckNotMade(const bc_ret &errors)
{
    logWarn(QStringLiteral("Update check not made: %1").arg(errors.details(QStringLiteral(": "))));
    m_goesOn = true;
    setStatus(tr("The service cannot be reached: this version goes on, and the check is made again later."));
    // Out of sight (started with the session) there is nobody to tell.
    if (!isVisible()) {
        endStage();
        return;
    }
    QTimer::singleShot(kNoticeMs, this, [this] {
        if (!m_stageOver)
            endStage();
    });
}

void UpdateManager::offerUpdate(const QString &url)
{
    show();
    QMessageBox box(QMessageBox::Information, tr("New update"),
                    tr("A new update is available, please click 'OK' to download and install it."), QMessageBox::NoButton,
                    this);
    QPushButton *ok = box.addButton(QMessageBox::Ok);
    // Installing may ask for the administrator's password.
    ok->setIcon(style()->standardIcon(QStyle::SP_VistaShield));
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(ok);
    box.exec();
    if (box.clickedButton() != ok || m_stageOver) {
        endStage();
        return;
    }
    startDownload(url);
}

void UpdateManager::startDownload(const QString &url)
{
    auto *request = new UpdateDownloadRequest(url, m_announcedSha256);
    connect(request, &HttpPostRequest::downloadProgress, this, &UpdateManager::onDownloadProgress);
    connect(request, &UpdateDownloadRequest::updateDownloadDone, this, &UpdateManager::onUpdateDownloadDone);
    m_frmUpdateDownload->show();
    setStatus(tr("Downloading new update..."));
    HttpConnection::post(request, kDownloadRetries, 0, RetryDelays::Growing);
}

void UpdateManager::onDownloadProgress(qint64 received, qint64 total)
{
    if (total > 0)
        m_pgbUpdateDownload->setValue(int(received * m_pgbUpdateDownload->maximum() / total));
}

void UpdateManager::doCancelDownload()
{
    endStage();
}

void UpdateManager::onUpdateDownloadDone(const QString &path, const bc_ret &errors)
{
    if (m_stageOver)
        return;
    if (path.isEmpty()) {
        // Nothing unproven replaces the program; this version goes on.
        showUpdateError(tr("Error while downloading the update."), errors);
        m_goesOn = true;
        endStage();
        return;
    }
    hide();
    setStatus(tr("Installing new update..."));
    bc_ret result = installUpdate(m_programPath, path);
    if (result.failed()) {
        // Most likely the program's folder needs the administrator: try again with those rights.
        result.add(tr("1st update attempt failed"));
        logWarn(result.details(QStringLiteral(": ")));
        const QString arguments = QStringLiteral("%1 \"%2\"").arg(QLatin1String(kElevatedArgument), path);
        logDebug(QStringLiteral("Update command: (%1) (%2)").arg(m_programPath, arguments));
        setExitCommand(std::make_shared<UpdateCmd>(m_programPath, arguments));
    }
    endStage();
}

bc_ret UpdateManager::installUpdate(const QString &programPath, const QString &newFile)
{
    bc_ret errors = desktop::replaceProgramFile(programPath, newFile, newUuidText());
    if (errors.ok())
        setExitCommand(std::make_shared<RestartCmd>(RestartCmd::commandLineFor({programPath})));
    return errors;
}

void UpdateManager::showUpdateError(const QString &message, const bc_ret &errors)
{
    logError(QStringLiteral("%1: %2").arg(message, errors.details(QStringLiteral(": "))));
    const QString advice = tr("This version goes on running. Please try again later or install the latest version "
                              "from <a href=\"%1\">%1</a>.")
                                   .arg(serviceUrl().toHtmlEscaped());
    QMessageBox box(QMessageBox::Warning, tr("Update error"),
                    tr("%1<br>%2<br> Reason:<br>  %3").arg(message, advice, escapedMessages(errors, QStringLiteral("<br>"))),
                    QMessageBox::NoButton, this);
    QPushButton *ok = box.addButton(QMessageBox::Ok);
    QPushButton *network = box.addButton(tr("Network"), QMessageBox::ActionRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    if (box.clickedButton() == network) {
        NetOptionsDialog options(this);
        options.exec();
    }
}

void UpdateManager::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        showMinimized();
    QFrame::mouseReleaseEvent(event);
}

bool UpdateManager::isElevatedRun(const QStringList &arguments)
{
    return arguments.size() == 3 && arguments.at(1) == QLatin1String(kElevatedArgument);
}

int UpdateManager::runElevatedInstall(const QStringList &arguments)
{
    const QString program = desktop::absoluteProgramPath(arguments.value(0));
    bc_ret errors = program.isEmpty() ? bc_ret(QStringLiteral("UpdateManager::runElevatedInstall"), 0,
                                               tr("The program file was not found."))
                                      : desktop::replaceProgramFile(program, arguments.value(2), newUuidText());
    if (errors.ok())
        return 0;
    // The program that asked for these rights shows this to the user.
    QTextStream(stderr) << errors.messages(QStringLiteral(": ")) << Qt::endl;
    return 1;
}
