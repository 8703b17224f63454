#pragma once

#include "app/bc_ret.h"

#include <QByteArray>
#include <QObject>
#include <QPoint>
#include <QString>
#include <QTimer>

struct UserPaths;

// The logged-in user's settings, kept in the user's "window.conf". One instance
// lives from just after login until the main window is gone.
class WindowConfig : public QObject
{
    Q_OBJECT
public:
    static constexpr int kMinRecordedDuration = 60000;
    static constexpr int kMaxRecordedDuration = 3600000;
    static constexpr int kMinTables = 1;
    static constexpr int kMaxTables = 8;
    static constexpr int kDefaultTables = 4;

    WindowConfig(const QString &windowFile, const QString &paramsFile, QObject *parent = nullptr);
    explicit WindowConfig(const UserPaths &paths, QObject *parent = nullptr);
    ~WindowConfig() override;

    static WindowConfig *instance();

    // Reads the file; on failure every setting keeps its default and no migration runs.
    bc_ret load();

    QByteArray mainWindowGeometry() const { return m_mainWindowGeometry; }
    QPoint toolWindowPosition() const { return m_toolWindowPosition; }
    int volumeLevel() const { return m_volumeLevel; }
    bool showHelpAtStartup() const { return m_showHelpAtStartup; }
    // The user was told once that closing the main window on a desktop without a
    // tray only minimises it.
    bool closeExplained() const { return m_closeExplained; }
    bool selectWindowFromList() const { return m_selectWindowFromList; }
    bool recordAudio() const { return m_recordAudio; }
    bool autoConfigAudio() const { return m_autoConfigAudio; }
    QString waveInDeviceName() const { return m_waveInDeviceName; }
    int maxRecordedDuration() const { return m_maxRecordedDuration; }
    bool recordOverlayWindows() const { return m_recordOverlayWindows; }
    bool autoDetection() const { return m_autoDetection; }
    bool autoRecord() const { return m_autoRecord; }
    bool showTimeWatcher() const { return m_showTimeWatcher; }
    bool transpareRecorder() const { return m_transpareRecorder; }
    bool autoStart() const { return m_autoStart; }
    bool recorderDockedIn() const { return m_recorderDockedIn; }
    bool saveOnClose() const { return m_saveOnClose; }
    bool popupSelectionTool() const { return m_popupSelectionTool; }
    int maxTables() const { return m_maxTables; }
    bool migrate_1_2_5() const { return m_migrate_1_2_5; }
    bool migrate_1_2_9() const { return m_migrate_1_2_9; }

    void setMainWindowGeometry(const QByteArray &v) { m_mainWindowGeometry = v; }
    void setToolWindowPosition(const QPoint &v) { m_toolWindowPosition = v; }
    void setVolumeLevel(int v) { m_volumeLevel = v; }
    void setShowHelpAtStartup(bool v) { m_showHelpAtStartup = v; }
    void setCloseExplained(bool v) { m_closeExplained = v; }
    void setSelectWindowFromList(bool v) { m_selectWindowFromList = v; }
    void setRecordAudio(bool v) { m_recordAudio = v; }
    void setAutoConfigAudio(bool v) { m_autoConfigAudio = v; }
    void setWaveInDeviceName(const QString &v) { m_waveInDeviceName = v; }
    // Out of range (60000 to 3600000) becomes 3600000.
    void setMaxRecordedDuration(int ms);
    void setRecordOverlayWindows(bool v) { m_recordOverlayWindows = v; }
    void setAutoDetection(bool v);
    void setAutoRecord(bool v) { m_autoRecord = v; }
    void setShowTimeWatcher(bool v);
    void setTranspareRecorder(bool v);
    void setAutoStart(bool v);
    void setRecorderDockedIn(bool v) { m_recorderDockedIn = v; }
    void setSaveOnClose(bool v) { m_saveOnClose = v; }
    void setPopupSelectionTool(bool v) { m_popupSelectionTool = v; }
    // Out of range (1 to 8) becomes 4.
    void setMaxTables(int n);

    // Right edge of the primary screen less 179, 100 from the top.
    static QPoint defaultToolWindowPosition();

signals:
    void showTimeWatcherChanged(bool value);
    void transpareRecorderChanged(bool value);
    void autoDetectionChanged(bool value);
    void autoStartChanged();
    // After every write attempt, with its result.
    void saved(const bc_ret &result);

public slots:
    bc_ret save();
    // Saves once at the next turn of the event loop, however often it is called before.
    void delaySave();

private:
    static int durationInRange(int ms);
    static int tablesInRange(int n);
    void migrate();

    QString m_windowFile;
    // False when the file was damaged and could not be moved aside: it is never overwritten.
    bool m_writable = true;
    QString m_paramsFile;
    QTimer m_saveTimer;

    QByteArray m_mainWindowGeometry;
    QPoint m_toolWindowPosition;
    int m_volumeLevel = 100;
    bool m_showHelpAtStartup = true;
    bool m_closeExplained = false;
    bool m_selectWindowFromList = false;
    bool m_recordAudio = true;
    bool m_autoConfigAudio = true;
    QString m_waveInDeviceName;
    int m_maxRecordedDuration = kMaxRecordedDuration;
    bool m_recordOverlayWindows = true;
    bool m_autoDetection = true;
    bool m_autoRecord = true;
    bool m_showTimeWatcher = true;
    bool m_transpareRecorder = false;
    bool m_autoStart = true;
    bool m_recorderDockedIn = false;
    bool m_saveOnClose = false;
    bool m_popupSelectionTool = true;
    int m_maxTables = kDefaultTables;
    bool m_migrate_1_2_5 = false;
    bool m_migrate_1_2_9 = false;

    static WindowConfig *s_instance;
};
