#include "library/WindowConfig.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "tests/support/TestFiles.h"

namespace {

// A window.conf with the given elements under the root; the migrations marked done
// unless the elements say otherwise.
QByteArray settingsFile(const QByteArray &elements, bool migrated = true)
{
    QByteArray markers;
    if (migrated)
        markers = "<migrate_1_2_5 value=\"true\"/><migrate_1_2_9 value=\"true\"/>";
    return "<Brindlecast>" + elements + markers + "</Brindlecast>";
}

} // namespace

class TestWindowConfig : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void defaultsForMissingKeys();
    void roundTripOfEveryKey();
    void outOfRangeValuesReplaced_data();
    void outOfRangeValuesReplaced();
    void signalsOnlyOnChange();
    void delayedSavesCoalesce();
    void emptyToolWindowPosition();
    void missingFileKeepsDefaultsWithoutMigration();
    void upgradeFromRecordingLengthFile();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString windowFile() const { return m_dir->filePath(QStringLiteral("window.conf")); }
    QString paramsFile() const { return m_dir->filePath(QStringLiteral("params.conf")); }
};

void TestWindowConfig::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestWindowConfig::defaultsForMissingKeys()
{
    QCOMPARE(WindowConfig::instance(), nullptr);
    QByteArray defaults;
    {
        WindowConfig config(windowFile(), paramsFile());
        QCOMPARE(WindowConfig::instance(), &config);
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(config.toolWindowPosition(), QPoint(screen.right() - 179, 100));
        QVERIFY(config.save().ok());
        defaults = readAll(windowFile());
    }
    QCOMPARE(WindowConfig::instance(), nullptr);
    // A file without a single setting reads as the defaults a new user starts with.
    QVERIFY(writeAll(windowFile(), settingsFile("")));
    WindowConfig config(windowFile(), paramsFile());
    QVERIFY(config.load().ok());
    QVERIFY(config.save().ok());
    defaults.replace("<migrate_1_2_5 value=\"false\"/>", "<migrate_1_2_5 value=\"true\"/>");
    defaults.replace("<migrate_1_2_9 value=\"false\"/>", "<migrate_1_2_9 value=\"true\"/>");
    QCOMPARE(readAll(windowFile()), defaults);
}

void TestWindowConfig::roundTripOfEveryKey()
{
    {
        WindowConfig config(windowFile(), paramsFile());
        config.setMainWindowGeometry(QByteArray::fromHex("01d9d0cb0003"));
        config.setToolWindowPosition(QPoint(-30, 2000));
        config.setVolumeLevel(35);
        config.setShowHelpAtStartup(false);
        config.setSelectWindowFromList(true);
        config.setRecordAudio(false);
        config.setAutoConfigAudio(false);
        config.setWaveInDeviceName(QStringLiteral("alsa_input.usb-Blue_Yeti é"));
        config.setMaxRecordedDuration(300000);
        config.setRecordOverlayWindows(false);
        config.setAutoDetection(false);
        config.setAutoRecord(false);
        config.setShowTimeWatcher(false);
        config.setTranspareRecorder(true);
        config.setAutoStart(false);
        config.setRecorderDockedIn(true);
        config.setSaveOnClose(true);
        config.setPopupSelectionTool(false);
        config.setMaxTables(8);
        QVERIFY(config.save().ok());
    }
    QVERIFY(readAll(windowFile()).contains("<mainWindowGeometry value=\"01d9d0cb0003\"/>"));
    WindowConfig config(windowFile(), paramsFile());
    QVERIFY(config.load().ok());
    QCOMPARE(config.mainWindowGeometry(), QByteArray::fromHex("01d9d0cb0003"));
    QCOMPARE(config.toolWindowPosition(), QPoint(-30, 2000));
    QCOMPARE(config.volumeLevel(), 35);
    QCOMPARE(config.selectWindowFromList(), true);
    QCOMPARE(config.recordAudio(), false);
    QCOMPARE(config.autoConfigAudio(), false);
    QCOMPARE(config.waveInDeviceName(), QStringLiteral("alsa_input.usb-Blue_Yeti é"));
    QCOMPARE(config.maxRecordedDuration(), 300000);
    QCOMPARE(config.recordOverlayWindows(), false);
    QCOMPARE(config.autoDetection(), false);
    QCOMPARE(config.autoRecord(), false);
    QCOMPARE(config.showTimeWatcher(), false);
    QCOMPARE(config.transpareRecorder(), true);
    QCOMPARE(config.autoStart(), false);
    QCOMPARE(config.recorderDockedIn(), true);
    QCOMPARE(config.saveOnClose(), true);
    QCOMPARE(config.popupSelectionTool(), false);
    QCOMPARE(config.maxTables(), 8);
    // A fresh file had no migration markers: both ran on this load.
    QCOMPARE(config.migrate_1_2_5(), true);
    QCOMPARE(config.migrate_1_2_9(), true);
    QCOMPARE(config.showHelpAtStartup(), true);
}

void TestWindowConfig::outOfRangeValuesReplaced_data()
{
    QTest::addColumn<int>("duration");
    QTest::addColumn<int>("expectedDuration");
    QTest::addColumn<int>("tables");
    QTest::addColumn<int>("expectedTables");
    QTest::newRow("below") << 59999 << 3600000 << 0 << 4;
    QTest::newRow("lowest") << 60000 << 60000 << 1 << 1;
    QTest::newRow("highest") << 3600000 << 3600000 << 8 << 8;
    QTest::newRow("above") << 3600001 << 3600000 << 9 << 4;
}

void TestWindowConfig::outOfRangeValuesReplaced()
{
    QFETCH(int, duration);
    QFETCH(int, expectedDuration);
    QFETCH(int, tables);
    QFETCH(int, expectedTables);

    QVERIFY(writeAll(windowFile(), settingsFile("<maxRecordedDuration value=\"" + QByteArray::number(duration)
                                                + "\"/><maxTables value=\"" + QByteArray::number(tables) + "\"/>")));
    WindowConfig config(windowFile(), paramsFile());
    QVERIFY(config.load().ok());
    QCOMPARE(config.maxRecordedDuration(), expectedDuration);
    QCOMPARE(config.maxTables(), expectedTables);

    WindowConfig fromSetters(windowFile(), paramsFile());
    fromSetters.setMaxRecordedDuration(120000);
    fromSetters.setMaxRecordedDuration(duration);
    fromSetters.setMaxTables(2);
    fromSetters.setMaxTables(tables);
    QCOMPARE(fromSetters.maxRecordedDuration(), expectedDuration);
    QCOMPARE(fromSetters.maxTables(), expectedTables);
}

void TestWindowConfig::signalsOnlyOnChange()
{
    WindowConfig config(windowFile(), paramsFile());
    QSignalSpy watcher(&config, &WindowConfig::showTimeWatcherChanged);
    QSignalSpy transparent(&config, &WindowConfig::transpareRecorderChanged);
    QSignalSpy detection(&config, &WindowConfig::autoDetectionChanged);
    QSignalSpy start(&config, &WindowConfig::autoStartChanged);

    config.setShowTimeWatcher(true);
    config.setTranspareRecorder(false);
    config.setAutoDetection(true);
    config.setAutoStart(true);
    QCOMPARE(watcher.size() + transparent.size() + detection.size() + start.size(), 0);

    config.setShowTimeWatcher(false);
    config.setShowTimeWatcher(false);
    config.setTranspareRecorder(true);
    config.setAutoDetection(false);
    config.setAutoStart(false);
    config.setAutoStart(false);
    QCOMPARE(watcher.size(), 1);
    QCOMPARE(watcher.first().first().toBool(), false);
    QCOMPARE(transparent.size(), 1);
    QCOMPARE(transparent.first().first().toBool(), true);
    QCOMPARE(detection.size(), 1);
    QCOMPARE(detection.first().first().toBool(), false);
    QCOMPARE(start.size(), 1);
}

void TestWindowConfig::delayedSavesCoalesce()
{
    WindowConfig config(windowFile(), paramsFile());
    QSignalSpy saved(&config, &WindowConfig::saved);
    config.delaySave();
    config.setVolumeLevel(7);
    config.delaySave();
    config.delaySave();
    QVERIFY(!QFile::exists(windowFile()));
    QVERIFY(saved.wait(2000));
    QTest::qWait(50);
    QCOMPARE(saved.size(), 1);
    // The write took the value set before the loop turned.
    QVERIFY(readAll(windowFile()).contains("<volumeLevel value=\"7\"/>"));

    config.delaySave();
    QVERIFY(saved.wait(2000));
    QCOMPARE(saved.size(), 2);
}

void TestWindowConfig::emptyToolWindowPosition()
{
    QVERIFY(writeAll(windowFile(), settingsFile("<toolWindowPosition/>")));
    WindowConfig config(windowFile(), paramsFile());
    QVERIFY(config.load().ok());
    QCOMPARE(config.toolWindowPosition(), QPoint(0, 0));
}

void TestWindowConfig::missingFileKeepsDefaultsWithoutMigration()
{
    QVERIFY(writeAll(paramsFile(), "<Brindlecast><maxDuration value=\"600000\"/></Brindlecast>"));
    WindowConfig config(windowFile(), paramsFile());
    config.setVolumeLevel(1);
    QVERIFY(config.load().failed());
    QCOMPARE(config.maxRecordedDuration(), 3600000);
    QCOMPARE(config.migrate_1_2_5(), false);
    QVERIFY(QFile::exists(paramsFile()));

    QVERIFY(writeAll(windowFile(), "<Brindlecast><volumeLevel value=\"3\""));
    QVERIFY(config.load().failed());
    QCOMPARE(config.volumeLevel(), 1);
}

void TestWindowConfig::upgradeFromRecordingLengthFile()
{
    QVERIFY(writeAll(paramsFile(), "<Brindlecast><maxDuration value=\"1200000\"/></Brindlecast>"));
    QVERIFY(writeAll(windowFile(), settingsFile("<showHelpAtStartup value=\"false\"/>", false)));
    {
        WindowConfig config(windowFile(), paramsFile());
        QVERIFY(config.load().ok());
        QCOMPARE(config.maxRecordedDuration(), 1200000);
        QVERIFY(!QFile::exists(paramsFile()));
        QCOMPARE(config.migrate_1_2_5(), true);
        QCOMPARE(config.migrate_1_2_9(), true);
        QCOMPARE(config.showHelpAtStartup(), true);
        // The help was shown; the user turns it off.
        config.setShowHelpAtStartup(false);
        QVERIFY(config.save().ok());
    }
    // Shown once only, and the taken-over length stays.
    WindowConfig config(windowFile(), paramsFile());
    QVERIFY(config.load().ok());
    QCOMPARE(config.showHelpAtStartup(), false);
    QCOMPARE(config.maxRecordedDuration(), 1200000);

    // A length file without the value keeps the current one; out of range is held to the range.
    WindowConfig other(windowFile(), paramsFile());
    QVERIFY(writeAll(windowFile(), settingsFile("<maxRecordedDuration value=\"120000\"/>", false)));
    QVERIFY(writeAll(paramsFile(), "<Brindlecast/>"));
    QVERIFY(other.load().ok());
    QCOMPARE(other.maxRecordedDuration(), 120000);
    QVERIFY(!QFile::exists(paramsFile()));
    QVERIFY(writeAll(windowFile(), settingsFile("", false)));
    QVERIFY(writeAll(paramsFile(), "<Brindlecast><maxDuration value=\"0\"/></Brindlecast>"));
    QVERIFY(other.load().ok());
    QCOMPARE(other.maxRecordedDuration(), 3600000);
}

QTEST_MAIN(TestWindowConfig)
#include "tst_windowconfig.moc"
