#pragma once

#include "app/bc_ret.h"
#include "media/EncoderThread.h"
#include "shell/OptionDialog.h"
#include "tool/RecorderManager.h"
#include "ui/Notifiers.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QSystemTrayIcon>
#include <QTimer>

class MainPage;
class QMenu;
class QuickStart;

// The program's main window and its place in the tray. It owns what lives as long
// as the session: the recorder tool, the encoding queue and the notifiers, and it
// runs the orderly end: confirm, stop everything, log out, quit.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr int kAdPeriodMs = 300000;
    static constexpr int kUpdatePeriodMs = 1800000;
    static constexpr int kLogoutTimeoutSeconds = 2;

    explicit MainWindow(const QStringList &arguments, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Builds the window, restores what was saved and shows it (or stays in the tray
    // when started with the session); the event loop is the caller's.
    void start();
    // start(), then the event loop until the program ends.
    int run();

    bool isQuitting() const { return m_quitting; }
    RecorderManager &recorderManager() { return m_recorderManager; }
    EncoderThreadQueue &encoderQueue() { return m_encoderQueue; }
    NotifierQueue &notifierQueue() { return m_notifierQueue; }
    MainPage *mainPage() const { return m_mainPage; }
    QSystemTrayIcon *trayIcon() const { return m_trayIcon; }
    QString helpFile() const { return m_helpFile; }
    QuickStart *quickStart() const { return m_quickStart; }
    // Whether the desktop shows tray icons; without, closing the window minimises it.
    bool hasTray() const;
    OptionDialog *optionDialog() const { return m_optionDialog; }
    const QTimer &updateTimer() const { return m_updateTimer; }

signals:
    void displayChanged();

public slots:
    void goToTop();
    void logOut();
    void displayStat();
    void displayOptions();
    void onOptionsClosed();
    void displayLanguage();
    void displayFAQ();
    void displayAbout();
    void displayQuickStart();
    void displayHelp();
    void displayRecorderTool();
    void doQuit();
    void onTrayIconActivated(QSystemTrayIcon::ActivationReason reason);
    void onLogOutDone(const bc_ret &errors);
    void retranslate();
    void applyAutostart();
    void tryQuit();
    void recorderCountChanged(int count);
    void reloadAd();
    void checkUpdate();
    void onVersionChecked(int status, const bc_ret &errors, const QString &url);
    void restart();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    bool confirmStopRecordings();
    // Offers to save what a crash or a failed save left in "tmp".
    void offerRecovery();
    // Tells, once, of list and settings files that could not be read whole.
    void tellFileDamages();
    // Writes the quick start page for this desktop and language, for the Quick start
    // window and the browser.
    void writeHelpFile();
    // Closing without a tray: the window is minimised, and the user told once.
    void minimiseInsteadOfClosing();
    // The saved place, moved inside the screen when it lies (partly) outside.
    void restoreGeometryOnScreen();
    void saveWindowState();
    void buildMenus();
    void buildTray();
    void connectApplication();
    void restoreState();

    EncoderThreadQueue m_encoderQueue;
    RecorderManager m_recorderManager;
    NotifierQueue m_notifierQueue;
    bool m_quitting = false;
    QuickStart *m_quickStart;
    QString m_helpFile;
    QPointer<OptionDialog> m_optionDialog;
    QTimer m_adTimer;
    QTimer m_updateTimer;
    QMenu *m_trayMenu = nullptr;
    QSystemTrayIcon *m_trayIcon = nullptr;
    MainPage *m_mainPage = nullptr;
    QStringList m_arguments;
    QAction *m_actLogOut;
    QAction *m_actShow;
    QAction *m_actQuit;
    QAction *m_actLanguage;
    QAction *m_actOptions;
    QAction *m_actStatistic;
    QAction *m_actFAQ;
    QAction *m_actAbout;
    QAction *m_actQuickStart;
    QAction *m_actHelp;
    QAction *m_actRecorderTool;
    QMenu *m_mnuFile;
    QMenu *m_mnuTools;
    QMenu *m_mnuHelp;
};
