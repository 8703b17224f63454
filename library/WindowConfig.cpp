#include "library/WindowConfig.h"

#include "app/Log.h"
#include "library/ListFile.h"
#include "library/User.h"
#include "library/XmlElement.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

WindowConfig *WindowConfig::s_instance = nullptr;

namespace {

const QString kMainWindowGeometry = QStringLiteral("mainWindowGeometry");
const QString kToolWindowPosition = QStringLiteral("toolWindowPosition");
const QString kVolumeLevel = QStringLiteral("volumeLevel");
const QString kShowHelpAtStartup = QStringLiteral("showHelpAtStartup");
const QString kCloseExplained = QStringLiteral("closeExplained");
const QString kSelectWindowFromList = QStringLiteral("selectWindowFromList");
const QString kRecordAudio = QStringLiteral("recordAudio");
const QString kAutoConfigAudio = QStringLiteral("autoConfigAudio");
const QString kWaveInDeviceName = QStringLiteral("waveInDeviceName");
const QString kMaxRecordedDurationTag = QStringLiteral("maxRecordedDuration");
const QString kRecordOverlayWindows = QStringLiteral("recordOverlayWindows");
const QString kAutoDetection = QStringLiteral("autoDetection");
const QString kAutoRecord = QStringLiteral("autoRecord");
const QString kShowTimeWatcher = QStringLiteral("showTimeWatcher");
const QString kTranspareRecorder = QStringLiteral("transpareRecorder");
const QString kAutoStart = QStringLiteral("autoStart");
const QString kRecorderDockedIn = QStringLiteral("recorderDockedIn");
const QString kSaveOnClose = QStringLiteral("saveOnClose");
const QString kPopupSelectionTool = QStringLiteral("popupSelectionTool");
const QString kMaxTablesTag = QStringLiteral("maxTables");
const QString kMigrate125 = QStringLiteral("migrate_1_2_5");
const QString kMigrate129 = QStringLiteral("migrate_1_2_9");

} // namespace

WindowConfig::WindowConfig(const QString &windowFile, const QString &paramsFile, QObject *parent)
    : QObject(parent)
    , m_windowFile(windowFile)
    , m_paramsFile(paramsFile)
    , m_toolWindowPosition(defaultToolWindowPosition())
{
    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(0);
    connect(&m_saveTimer, &QTimer::timeout, this, &WindowConfig::save);
    s_instance = this;
}

WindowConfig::WindowConfig(const UserPaths &paths, QObject *parent)
    : WindowConfig(paths.windowFile, paths.paramsFile, parent)
{
}

WindowConfig::~WindowConfig()
{
    if (s_instance == this)
        s_instance = nullptr;
}

WindowConfig *WindowConfig::instance()
{
    return s_instance;
}

QPoint WindowConfig::defaultToolWindowPosition()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect geometry = screen ? screen->geometry() : QRect();
    return QPoint(geometry.right() - 179, 100);
}

int WindowConfig::durationInRange(int ms)
{
    return ms < kMinRecordedDuration || ms > kMaxRecordedDuration ? kMaxRecordedDuration : ms;
}

int WindowConfig::tablesInRange(int n)
{
    return n < kMinTables || n > kMaxTables ? kDefaultTables : n;
}

void WindowConfig::setMaxRecordedDuration(int ms)
{
    m_maxRecordedDuration = durationInRange(ms);
}

void WindowConfig::setMaxTables(int n)
{
    m_maxTables = tablesInRange(n);
}

void WindowConfig::setShowTimeWatcher(bool v)
{
    if (m_showTimeWatcher == v)
        return;
    m_showTimeWatcher = v;
    emit showTimeWatcherChanged(v);
}

void WindowConfig::setTranspareRecorder(bool v)
{
    if (m_transpareRecorder == v)
        return;
    m_transpareRecorder = v;
    emit transpareRecorderChanged(v);
}

void WindowConfig::setAutoDetection(bool v)
{
    if (m_autoDetection == v)
        return;
    m_autoDetection = v;
    emit autoDetectionChanged(v);
}

void WindowConfig::setAutoStart(bool v)
{
    if (m_autoStart == v)
        return;
    m_autoStart = v;
    emit autoStartChanged();
}

bc_ret WindowConfig::load()
{
    XmlRootElement root;
    const bc_ret ret = root.readFromFile(m_windowFile);
    if (ret.failed()) {
        // The defaults apply; the damaged file is kept aside, never overwritten by them.
        if (QFileInfo::exists(m_windowFile))
            m_writable = setDamagedFileAside(m_windowFile, ret.messages(QStringLiteral(": ")), -1);
        return ret;
    }

    m_mainWindowGeometry = root.childBytes(kMainWindowGeometry);
    const QList<XmlElement> positions = root.children(kToolWindowPosition);
    if (!positions.isEmpty()) {
        const XmlElement &position = positions.first();
        m_toolWindowPosition = QPoint(position.childInt(QStringLiteral("x"), 0), position.childInt(QStringLiteral("y"), 0));
    }
    m_volumeLevel = root.childInt(kVolumeLevel, 100);
    m_showHelpAtStartup = root.childBool(kShowHelpAtStartup, true);
    m_closeExplained = root.childBool(kCloseExplained, false);
    m_selectWindowFromList = root.childBool(kSelectWindowFromList, false);
    m_recordAudio = root.childBool(kRecordAudio, true);
    m_autoConfigAudio = root.childBool(kAutoConfigAudio, true);
    m_waveInDeviceName = root.childString(kWaveInDeviceName);
    m_maxRecordedDuration = durationInRange(root.childInt(kMaxRecordedDurationTag, kMaxRecordedDuration));
    m_recordOverlayWindows = root.childBool(kRecordOverlayWindows, true);
    m_autoDetection = root.childBool(kAutoDetection, true);
    m_autoRecord = root.childBool(kAutoRecord, true);
    m_showTimeWatcher = root.childBool(kShowTimeWatcher, true);
    m_transpareRecorder = root.childBool(kTranspareRecorder, false);
    m_autoStart = root.childBool(kAutoStart, true);
    m_recorderDockedIn = root.childBool(kRecorderDockedIn, false);
    m_saveOnClose = root.childBool(kSaveOnClose, false);
    m_popupSelectionTool = root.childBool(kPopupSelectionTool, true);
    m_maxTables = tablesInRange(root.childInt(kMaxTablesTag, kDefaultTables));
    m_migrate_1_2_5 = root.childBool(kMigrate125, false);
    m_migrate_1_2_9 = root.childBool(kMigrate129, false);

    migrate();
    return bc_ret();
}

void WindowConfig::migrate()
{
    // Versions before 1.2.5 kept the recording length in params.conf.
    if (!m_migrate_1_2_5) {
        XmlRootElement params;
        if (params.readFromFile(m_paramsFile).ok()) {
            // Held to the same range as every other source of this value.
            setMaxRecordedDuration(params.childInt(QStringLiteral("maxDuration"), m_maxRecordedDuration));
            if (!QFile::remove(m_paramsFile))
                logWarn(QStringLiteral("Can not delete '%1'").arg(m_paramsFile));
            logInfo(QStringLiteral("Recording length taken over from '%1'").arg(m_paramsFile));
        }
        m_migrate_1_2_5 = true;
    }
    // 1.2.9 brought a new quick-start help: show it once to upgraded users.
    if (!m_migrate_1_2_9) {
        m_showHelpAtStartup = true;
        m_migrate_1_2_9 = true;
    }
}

bc_ret WindowConfig::save()
{
    if (!m_writable)
        return bc_ret(QStringLiteral("WindowConfig::save"), -1,
                      QStringLiteral("'%1' is damaged and left as it is").arg(m_windowFile));
    XmlRootElement root;
    root.addChild(kMainWindowGeometry, m_mainWindowGeometry);
    XmlElement position = root.addChild(kToolWindowPosition, QString());
    position.addChild(QStringLiteral("x"), m_toolWindowPosition.x());
    position.addChild(QStringLiteral("y"), m_toolWindowPosition.y());
    root.addChild(kVolumeLevel, m_volumeLevel);
    root.addChild(kShowHelpAtStartup, m_showHelpAtStartup);
    root.addChild(kCloseExplained, m_closeExplained);
    root.addChild(kSelectWindowFromList, m_selectWindowFromList);
    root.addChild(kRecordAudio, m_recordAudio);
    root.addChild(kAutoConfigAudio, m_autoConfigAudio);
    root.addChild(kWaveInDeviceName, m_waveInDeviceName);
    root.addChild(kMaxRecordedDurationTag, m_maxRecordedDuration);
    root.addChild(kRecordOverlayWindows, m_recordOverlayWindows);
    root.addChild(kAutoDetection, m_autoDetection);
    root.addChild(kAutoRecord, m_autoRecord);
    root.addChild(kShowTimeWatcher, m_showTimeWatcher);
    root.addChild(kTranspareRecorder, m_transpareRecorder);
    root.addChild(kAutoStart, m_autoStart);
    root.addChild(kRecorderDockedIn, m_recorderDockedIn);
    root.addChild(kSaveOnClose, m_saveOnClose);
    root.addChild(kPopupSelectionTool, m_popupSelectionTool);
    root.addChild(kMaxTablesTag, m_maxTables);
    root.addChild(kMigrate125, m_migrate_1_2_5);
    root.addChild(kMigrate129, m_migrate_1_2_9);

    const bc_ret ret = root.writeToFile(m_windowFile);
    if (ret.failed())
        logWarn(QStringLiteral("Saving settings: %1").arg(ret.details(QStringLiteral(": "))));
    emit saved(ret);
    return ret;
}

void WindowConfig::delaySave()
{
    m_saveTimer.start();
}
