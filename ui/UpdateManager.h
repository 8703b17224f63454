#pragma once

#include "app/bc_ret.h"

#include <QFrame>
#include <QPointer>
#include <QStringList>

class HttpConnection;
class QLabel;
class QProgressBar;
class QPushButton;

// The update stage of the start-up: a small splash that sets up the network, asks
// the service whether this version is current and, when it is not, downloads and
// installs the update, or tells where to get it. When the check cannot be made, or an
// update cannot be downloaded or proven, this is said and the start-up goes on with
// the version there is. Otherwise (an update installed, declined, or a new version
// to get elsewhere) the program ends after this stage, with an exit command when one
// is needed.
class UpdateManager : public QFrame
{
    Q_OBJECT
public:
    UpdateManager(const QStringList &arguments, const QString &checkUrl, QWidget *parent = nullptr);
    ~UpdateManager() override;

    // Runs the stage until it has an outcome; then isUpToDate() or an exit command.
    void runStartupCheck();
    bool isUpToDate() const { return m_upToDate; }
    // The start-up goes on: the version is current, or no update could be had.
    bool goesOn() const { return m_upToDate || m_goesOn; }
    HttpConnection *connection() const { return m_connection; }
    QString status() const;
    // The file an update replaces.
    QString programPath() const { return m_programPath; }
    QProgressBar *downloadProgressBar() const { return m_pgbUpdateDownload; }

    // The run that installs with raised rights: exactly the program, "updateMe" and
    // the downloaded file. It has no window; it reports on the error output and
    // ends with 0 only when the program file was replaced.
    static bool isElevatedRun(const QStringList &arguments);
    static int runElevatedInstall(const QStringList &arguments);

    // Replaces the program file with newFile; on success the program restarts at exit.
    static bc_ret installUpdate(const QString &programPath, const QString &newFile);

public slots:
    void onVersionChecked(int status, const bc_ret &errors, const QString &url);
    void onDownloadProgress(qint64 received, qint64 total);
    void onUpdateDownloadDone(const QString &path, const bc_ret &errors);
    void doCancelDownload();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void buildForm();
    void setStatus(const QString &text);
    void showUpdateError(const QString &message, const bc_ret &errors);
    void tellCheckNotMade(const bc_ret &errors);
    void offerUpdate(const QString &url);
    void startDownload(const QString &url);
    void endStage();

    QStringList m_arguments;
    QString m_checkUrl;
    QString m_programPath;
    QString m_announcedSha256;
    bool m_upToDate = false;
    bool m_goesOn = false;
    // Set once the stage has its outcome: late answers are ignored.
    bool m_stageOver = false;
    HttpConnection *m_connection = nullptr;
    QLabel *m_lblServerUrl = nullptr;
    QLabel *m_lblVersion = nullptr;
    QLabel *m_lblUpdateStatus = nullptr;
    QFrame *m_frmUpdateDownload = nullptr;
    QProgressBar *m_pgbUpdateDownload = nullptr;
    QPushButton *m_btnCancel = nullptr;
};
