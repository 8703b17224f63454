// The options dialog with the user's real settings and poker programs, and a private
// PulseAudio daemon for the audio page.
#include "detection/Detection.h"
#include "detection/Rooms.h"
#include "library/User.h"
#include "library/WindowConfig.h"
#include "platform/AudioMixer.h"
#include "shell/OptionDialog.h"
#include "tests/support/PulseSession.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kPatienceMs = 30000;

template <typename T>
T *child(const QWidget &parent, const char *name)
{
    return parent.findChild<T *>(QString::fromLatin1(name));
}

QString shownDetails(const OptionDialog &dialog)
{
    QStringList texts;
    const auto *details = child<QStackedWidget>(dialog, "stkDeviceDetails");
    if (const QWidget *page = details->currentWidget()) {
        for (const QLabel *label : page->findChildren<QLabel *>())
            texts.append(label->text());
    }
    return texts.join(QLatin1Char('\n'));
}

} // namespace

class TestOptions : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void recordingPageSavesOnlyWhenAsked();
    void followsTheModeSwitch();
    void roomIsChosenWithSuggestions();
    void uncheckedProgramIsKeptUnchecked();
    void quickSetVolume();

private:
    QTemporaryDir m_home;
    std::unique_ptr<User> m_user;
    std::unique_ptr<WindowConfig> m_settings;
    std::unique_ptr<DetectionManager> m_detection;
    PulseSession m_pulse;
};

void TestOptions::initTestCase()
{
    QVERIFY(m_pulse.start());
    const QString dir = m_home.filePath(QStringLiteral("user"));
    QVERIFY(ensureDirectories(dir).ok());
    m_user = std::make_unique<User>(std::make_shared<UserInfo>(UserInfo{QString(), QStringLiteral("demo"), QString()}), dir);
    m_settings = std::make_unique<WindowConfig>(m_user->paths());
    m_detection = std::make_unique<DetectionManager>(m_user->paths());
}

void TestOptions::recordingPageSavesOnlyWhenAsked()
{
    m_settings->setMaxRecordedDuration(300000);
    m_settings->setSaveOnClose(false);
    QSignalSpy saved(m_settings.get(), &WindowConfig::saved);
    {
        OptionDialog dialog;
        QSignalSpy closed(&dialog, &OptionDialog::closed);
        dialog.show();
        QCOMPARE(dialog.currentHeader(), QStringLiteral("Recording Options"));
        QCOMPARE(dialog.currentPage(), dialog.recording());
        auto *minutes = child<QSpinBox>(dialog, "spnMaxDuration");
        QCOMPARE(minutes->value(), 5);
        QCOMPARE(minutes->maximum(), 60);
        minutes->setValue(12);
        child<QCheckBox>(dialog, "chkSaveOnClose")->setChecked(true);
        dialog.cancelButton()->click();
        QCOMPARE(closed.size(), 1);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(m_settings->maxRecordedDuration(), 300000);
        QVERIFY(!m_settings->saveOnClose());
    }
    OptionDialog dialog;
    QSignalSpy closed(&dialog, &OptionDialog::closed);
    dialog.show();
    child<QSpinBox>(dialog, "spnMaxDuration")->setValue(12);
    dialog.applyButton()->click();
    QCOMPARE(m_settings->maxRecordedDuration(), 720000);
    QVERIFY(dialog.isVisible());
    QVERIFY(saved.wait(kPatienceMs));
    child<QCheckBox>(dialog, "chkSaveOnClose")->setChecked(true);
    dialog.okButton()->click();
    QVERIFY(m_settings->saveOnClose());
    QCOMPARE(closed.size(), 1);
    QVERIFY(!dialog.isVisible());
    // Other pages come up with their own header.
    dialog.tree()->setCurrentIndex(dialog.tree()->model()->index(3, 0));
    QCOMPARE(dialog.currentHeader(), QStringLiteral("Audio Configuration"));
    QCOMPARE(dialog.currentPage(), dialog.audio());
}

void TestOptions::followsTheModeSwitch()
{
    m_settings->setAutoDetection(true);
    OptionDialog dialog;
    auto *automatic = child<QRadioButton>(dialog, "rdAutoSelect");
    auto *manual = child<QRadioButton>(dialog, "rdManuSelect");
    QVERIFY(automatic->isChecked());
    QVERIFY(child<QFrame>(dialog, "frmAutoSelection")->isEnabled());
    QVERIFY(!child<QFrame>(dialog, "frmManuSelection")->isEnabled());
    // The main page's switch, while the dialog is open.
    m_settings->setAutoDetection(false);
    QVERIFY(manual->isChecked());
    QVERIFY(!child<QFrame>(dialog, "frmAutoSelection")->isEnabled());
    QVERIFY(child<QFrame>(dialog, "frmManuSelection")->isEnabled());
    dialog.okButton()->click();
    QVERIFY(!m_settings->autoDetection());
}

void TestOptions::uncheckedProgramIsKeptUnchecked()
{
    const QString exe = QStringLiteral("C:/Program Files/PokerStars/PokerStars.exe");
    const DetectionSptr program = m_detection->detectionFor(exe);
    QVERIFY(program && program->recordable());
    OptionDialog dialog;
    QStandardItemModel *rows = dialog.detection()->model();
    const QList<QStandardItem *> found = rows->findItems(QStringLiteral("PokerStars.exe"));
    QCOMPARE(found.size(), 1);
    const int row = found.first()->row();
    QCOMPARE(rows->item(row, 1)->text(), exe);
    QCOMPARE(rows->item(row, 2)->checkState(), Qt::Checked);
    rows->item(row, 2)->setCheckState(Qt::Unchecked);
    // Nothing changes before the user applies.
    QVERIFY(program->recordable());
    dialog.applyButton()->click();
    QVERIFY(!program->recordable());
    // Its tables are no longer taken up, after a restart too.
    QCOMPARE(m_detection->detectionFor(exe)->recordable(), false);
    QVERIFY(m_detection->save().ok());
    DetectionManager reloaded(m_user->paths());
    QVERIFY(reloaded.load().ok());
    QVERIFY(reloaded.lookup(exe) && !reloaded.lookup(exe)->recordable());
}

void TestOptions::roomIsChosenWithSuggestions()
{
    const QString exe = QStringLiteral("/opt/888/888poker.exe");
    const DetectionSptr program = m_detection->detectionFor(exe);
    QVERIFY(program);
    program->setRoom(Detection::kUnlistedRoom);
    OptionDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QStandardItemModel *rows = dialog.detection()->model();
    const QList<QStandardItem *> found = rows->findItems(QStringLiteral("888poker.exe"));
    QCOMPARE(found.size(), 1);
    QStandardItem *room = rows->item(found.first()->row(), PrivTreeView::RoomColumn);
    QCOMPARE(room->text(), QStringLiteral("Not listed"));

    // The same box as the room form: a name as a player writes it is the room.
    auto *list = dialog.findChild<PrivTreeView *>();
    QVERIFY(list);
    list->edit(room->index());
    auto *editor = list->findChild<PrivEditor *>();
    QVERIFY(editor);
    QVERIFY(editor->text().isEmpty());
    QTest::keyClicks(editor->box()->lineEdit(), QStringLiteral("888 Poker"));
    QVERIFY(editor->matching());
    list->itemDelegate()->setModelData(editor, rows, room->index());
    QCOMPARE(room->text(), QStringLiteral("888poker.com"));
    dialog.applyButton()->click();
    QCOMPARE(program->room(), m_detection->rooms()->roomByName(QStringLiteral("888poker.com"))->id);

    // Text that is no room leaves the cell alone; an empty box means "not listed".
    editor->setText(QStringLiteral("nowhere"));
    list->itemDelegate()->setModelData(editor, rows, room->index());
    QCOMPARE(room->text(), QStringLiteral("888poker.com"));
    editor->box()->lineEdit()->clear();
    list->itemDelegate()->setModelData(editor, rows, room->index());
    QCOMPARE(room->text(), QStringLiteral("Not listed"));
    dialog.applyButton()->click();
    QCOMPARE(program->room(), int(Detection::kUnlistedRoom));
}

void TestOptions::quickSetVolume()
{
    const QString sine = QLatin1String(PulseSession::kSineSource);
    QVERIFY(audiomixer::setSourceMute(sine, true).ok());
    QVERIFY(audiomixer::setSourceVolume(sine, audiomixer::normalVolume() / 4).ok());
    m_settings->setAutoConfigAudio(false);
    OptionDialog dialog;
    dialog.show();
    QListWidget *devices = dialog.audio()->deviceList();
    QListWidgetItem *sineItem = nullptr;
    for (int row = 0; row < devices->count() && !sineItem; ++row) {
        if (devices->item(row)->data(Qt::UserRole).toString() == sine)
            sineItem = devices->item(row);
    }
    QVERIFY(sineItem);
    devices->setCurrentItem(sineItem);
    QVERIFY2(shownDetails(dialog).contains(QStringLiteral("volume 25 %, muted")), qPrintable(shownDetails(dialog)));

    dialog.audio()->quickSetButton()->click();
    AudioSourceInfo info;
    QVERIFY(audiomixer::sourceInfo(sine, info).ok());
    QVERIFY(!info.muted);
    QCOMPARE(info.volume, audiomixer::normalVolume());
    QTRY_VERIFY2_WITH_TIMEOUT(shownDetails(dialog).contains(QStringLiteral("volume 100 %, on")), qPrintable(shownDetails(dialog)),
                              kPatienceMs);
    // Another program mutes it: the page shows it without being asked.
    QVERIFY(audiomixer::setSourceMute(sine, true).ok());
    QTRY_VERIFY2_WITH_TIMEOUT(shownDetails(dialog).contains(QStringLiteral("volume 100 %, muted")), qPrintable(shownDetails(dialog)),
                              kPatienceMs);
    // The chosen device is what recordings use.
    dialog.okButton()->click();
    QCOMPARE(m_settings->waveInDeviceName(), sine);
}

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
