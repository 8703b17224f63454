// The editor on a private X server: the time line's scale and markers, the player
// with libmpv on a real recording, the loudness curve, the edit panel's rules, and
// what the page shows.
#include "media/EncoderThread.h"
#include "media/FrameDecoder.h"
#include "media/MediaOperations.h"
#include "media/TaskQueue.h"
#include "resources/Resources.h"
#include "tests/support/MediaInputs.h"
#include "tests/support/MessageBoxes.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestFiles.h"
#include "tests/support/XSession.h"
#include "ui/AudioVisualizer.h"
#include "ui/EditingPage.h"
#include "ui/Timeline.h"
#include "ui/VideoPlayer.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QElapsedTimer>
#include <QTest>

#include <sys/stat.h>

namespace {

constexpr int kPatienceMs = 20000;
constexpr int kSeconds = 40;

class Quiet : public AsyncTask
{
public:
    bc_ret run() override { return bc_ret(); }
};

RecordedItemSptr recordedItem(const QString &file)
{
    auto item = std::make_shared<RecordedItem>();
    item->info = std::make_shared<VideoInfo>();
    item->info->fileName = file;
    item->info->duration = kSeconds * 1000;
    item->room = 12;
    return item;
}

} // namespace

class TestEditing : public QObject
{
    Q_OBJECT
public:
    explicit TestEditing(XSession *) {}

private slots:
    void initTestCase();
    void timelineScaleAndMarkers();
    void playerOnARecording();
    void unplayableFile();
    void editPanelQueuesTheHand();
    void pageShowsPictureAndCurve();

private:
    QTemporaryDir m_dir;
    QString m_recording;
};

void TestEditing::initTestCase()
{
    qApp->setStyleSheet(applicationStyleSheet());
    // A recording as the program saves it: picture and sound in one AVI, the picture
    // still from 10 s on but for one change at 35 s (those frames left empty).
    const QString video = m_dir.filePath(QStringLiteral("v.avi"));
    const QString audio = m_dir.filePath(QStringLiteral("a.avi"));
    m_recording = m_dir.filePath(QStringLiteral("recording.avi"));
    QList<int> still;
    for (int i = 100; i < kSeconds * 10 - 1; ++i) {
        if (i != 350)
            still.append(i);
    }
    QVERIFY(makeVideo(video, kSeconds * 10, 320, 240, still) && makeAudio(audio, kSeconds * 1000));
    Quiet listener;
    QVERIFY(MediaMuxer(&listener).mux(video, audio, m_recording).ok());
}

void TestEditing::timelineScaleAndMarkers()
{
    Timeline timeline;
    timeline.resize(600, 90);
    // Up to two hours a step is a millisecond; a three-hour video has 7,200,000 steps.
    timeline.setDuration(90000);
    QCOMPARE(timeline.scale(), 90000);
    QCOMPARE(timeline.timeOf(30500), 30500);
    timeline.setDuration(3 * 3600 * 1000);
    QCOMPARE(timeline.scale(), 7200000);
    QCOMPARE(timeline.timeOf(3600000), qint64(5400000));
    QCOMPARE(timeline.valueOf(5400000), 3600000);
    QCOMPARE(timeline.endMarker()->value(), 7200000);
    QCOMPARE(timeline.markedDuration(), qint64(3 * 3600 * 1000));

    timeline.setDuration(60000);
    QSignalSpy begins(&timeline, &Timeline::beginSliderMoved);
    QSignalSpy ends(&timeline, &Timeline::endSliderMoved);
    PlayerSlider *begin = timeline.beginMarker();
    PlayerSlider *end = timeline.endMarker();
    begin->tryMoveTo(20000);
    QCOMPARE(begins.last().first().toLongLong(), qint64(20000));
    QCOMPARE(timeline.seekSlider()->value(), 20000);
    // The end cannot go before the beginning, nor the beginning past the end.
    end->tryMoveTo(5000);
    QCOMPARE(end->value(), 20000);
    QCOMPARE(ends.last().first().toLongLong(), qint64(20000));
    end->tryMoveTo(45000);
    begin->tryMoveTo(50000);
    QCOMPARE(begin->value(), 45000);
    QCOMPARE(timeline.markedDuration(), qint64(0));

    // A click beside the handle jumps there; the arrow keys step a second; each is a
    // whole move, started and stopped.
    QSignalSpy started(timeline.seekSlider(), &PlayerSlider::sliderStartMoving);
    QSignalSpy stopped(timeline.seekSlider(), &PlayerSlider::sliderStopMoving);
    timeline.show();
    QVERIFY(QTest::qWaitForWindowExposed(&timeline));
    PlayerSlider *seek = timeline.seekSlider();
    QCOMPARE(seek->value(), 45000);
    QTest::mouseClick(seek, Qt::LeftButton, {}, QPoint(seek->width() / 4, seek->height() / 2));
    QVERIFY2(qAbs(seek->value() - 15000) < 3000, qPrintable(QString::number(seek->value())));
    QTest::keyClick(seek, Qt::Key_Left);
    QCOMPARE(started.size(), 2);
    QCOMPARE(stopped.size(), 2);
    const int stepped = seek->value();
    QTest::keyClick(seek, Qt::Key_Right);
    QCOMPARE(seek->value(), stepped + 1000);

    // A marker moved with the mouse keeps its full-size handle once it has the focus
    // (which only a widget of the active window has: the window manager may be slow).
    const auto handleSize = [](PlayerSlider *slider) { return slider->handleRect().size(); };
    QCOMPARE(handleSize(end), QSize(12, 22));
    timeline.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&timeline));
    QTest::mouseClick(end, Qt::LeftButton, {}, QPoint(end->width() * 9 / 10, end->height() / 2));
    QVERIFY(end->hasFocus());
    QCOMPARE(handleSize(end), QSize(12, 22));
    QCOMPARE(handleSize(seek), QSize(14, 22));
    QVERIFY(!keepScreenshot(QStringLiteral("editor-markers"), timeline.winId()).isNull());
}

void TestEditing::playerOnARecording()
{
    VideoPlayerWindow window;
    window.setOutputs({QStringLiteral("null")}, QStringLiteral("null"));
    bc_ret errors;
    VideoPlayer *player = window.open(m_recording, errors);
    QVERIFY2(player, qPrintable(errors.details(QStringLiteral("; "))));
    QVERIFY(errors.ok());
    QVERIFY2(qAbs(player->duration() - kSeconds * 1000) <= 100, qPrintable(QString::number(player->duration())));
    QCOMPARE(player->fileName(), m_recording);

    // Exactly where asked, also while paused.
    player->seek(30500);
    QTRY_COMPARE_WITH_TIMEOUT(player->position(), qint64(30500), kPatienceMs);
    QSignalSpy running(player, &VideoPlayer::running);
    QVERIFY(player->run().ok());
    QCOMPARE(running.size(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(player->position() > 30700, kPatienceMs);
    QVERIFY(player->pause().ok());
    const qint64 held = player->position();
    // However long this takes on a busy machine, a paused player stays where it is.
    QTest::qWait(300);
    QCOMPARE(player->position(), held);

    // Through the still stretch the time goes on as the sound plays, several times a
    // second, never back.
    player->seek(12000);
    QTRY_COMPARE_WITH_TIMEOUT(player->position(), qint64(12000), kPatienceMs);
    QVERIFY(player->run().ok());
    QTRY_VERIFY_WITH_TIMEOUT(player->position() > 12000, kPatienceMs);
    QList<qint64> seen{player->position()};
    QElapsedTimer watch;
    watch.start();
    while (watch.elapsed() < 1500) {
        QTest::qWait(50);
        const qint64 now = player->position();
        QVERIFY2(now >= seen.last(), qPrintable(QStringLiteral("%1 after %2").arg(now).arg(seen.last())));
        if (now != seen.last())
            seen.append(now);
    }
    QVERIFY2(seen.size() >= 6, qPrintable(QString::number(seen.size())));
    QVERIFY(player->pause().ok());

    player->setVolume(0);
    QTRY_COMPARE(player->volume(), 0);
    player->setVolume(100);
    QTRY_COMPARE(player->volume(), 100);

    // Played to the end, it says so.
    QSignalSpy stopped(player, &VideoPlayer::stopped);
    player->seek(kSeconds * 1000 - 300);
    QVERIFY(player->run().ok());
    QVERIFY(stopped.wait(kPatienceMs));
}

void TestEditing::unplayableFile()
{
    const QString text = m_dir.filePath(QStringLiteral("notes.avi"));
    QVERIFY(writeAll(text, "not a video at all"));
    VideoPlayerWindow window;
    window.setOutputs({QStringLiteral("null"), QStringLiteral("x11")}, QStringLiteral("null"));
    bc_ret errors;
    QVERIFY(!window.open(text, errors));
    QVERIFY(!window.player());
    const QString said = errors.messages(QStringLiteral("|"));
    QVERIFY2(said.contains(QStringLiteral("Error trying MpvPlayer (null)"))
                     && said.contains(QStringLiteral("Error trying MpvPlayer (x11)"))
                     && said.count(QStringLiteral("Error opening file '%1'").arg(text)) == 2,
             qPrintable(said));

    // An output that does not work here is passed over for the next.
    window.setOutputs({QStringLiteral("no-such-output"), QStringLiteral("null")}, QStringLiteral("null"));
    errors = bc_ret();
    VideoPlayer *player = window.open(m_recording, errors);
    QVERIFY(player);
    QCOMPARE(player->name(), QStringLiteral("MpvPlayer (null)"));
    QVERIFY(errors.messages(QStringLiteral("|")).contains(QStringLiteral("Error trying MpvPlayer (no-such-output)")));

    // A FIFO where the recording was is refused at once (opening it would block), and
    // neither its thumbnail nor its length is read from it.
    const QString fifo = m_dir.filePath(QStringLiteral("fifo.avi"));
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EditingPage page;
    const bc_ret refused = page.doEditVideo(recordedItem(fifo));
    QVERIFY(refused.failed());
    QCOMPARE(refused.messages(QString()), QStringLiteral("'%1' is not a video file.").arg(fifo));
    bc_ret grabbed;
    QVERIFY(grabFrame(fifo, 0, QSize(64, 48), grabbed).isNull());
    QVERIFY(grabbed.failed());
    bc_ret probed;
    QCOMPARE(probeDuration(fifo, probed), -1);
}

void TestEditing::editPanelQueuesTheHand()
{
    EncoderThreadQueue queue;
    queue.setProgram(m_dir.filePath(QStringLiteral("no-encoder-needed")));
    QList<EditedItemSptr> queued;
    connect(&queue, &EncoderThreadQueue::createDisplayHandler, this,
            [&queued](const EncoderThreadSptr &job, bool toUpload) { queued.append(toUpload ? job->editedItem() : nullptr); });
    EditingPage page;
    page.playerWindow()->setOutputs({QStringLiteral("null")}, QStringLiteral("null"));
    EditControlPage panel;
    connectEditing(&panel, &page);
    const RecordedItemSptr item = recordedItem(m_recording);
    QVERIFY(page.doEditVideo(item).ok());
    panel.setItem(item);
    QCOMPARE(item->status(), RecordedItemStatus::Editing);
    page.timeline()->beginMarker()->tryMoveTo(page.timeline()->valueOf(12000));
    page.timeline()->endMarker()->tryMoveTo(page.timeline()->valueOf(31000));
    page.volumeSlider()->tryMoveTo(40);

    auto *title = panel.findChild<QLineEdit *>(QStringLiteral("txtUploadName"));
    auto *upload = panel.findChild<QPushButton *>(QStringLiteral("btnEncodeUpload"));
    QVERIFY(title && upload);
    title->setText(QStringLiteral("AK"));
    QString shown;
    answerNextMessageBox(QMessageBox::Ok, &shown);
    upload->click();
    QCOMPARE(shown, QStringLiteral("Video title not provided correctly|You have to provide at least 3 characters for the "
                                   "title of your video."));
    QVERIFY(queued.isEmpty());

    title->setText(QStringLiteral("AKs"));
    upload->click();
    QCOMPARE(queued.size(), 1);
    const EditedItemSptr edit = queued.first();
    QVERIFY(edit);
    QCOMPARE(edit->source, item);
    QCOMPARE(edit->startMs, qint64(12000));
    QCOMPARE(edit->endMs, qint64(31000));
    QCOMPARE(edit->volume, 40);
    QCOMPARE(edit->params->videoTitle, QStringLiteral("AKs"));
    QCOMPARE(edit->params->room, 12);
    page.resetPage();
    QVERIFY(!page.playerWindow()->player());
    QCOMPARE(page.elapsedText(), QStringLiteral("00:00"));
}

void TestEditing::pageShowsPictureAndCurve()
{
    EditingPage page;
    page.playerWindow()->setOutputs({QStringLiteral("x11")}, QStringLiteral("null"));
    page.resize(800, 600);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QSignalSpy curve(page.audioVisualizer(), &AudioVisualizer::graphReady);
    QVERIFY(page.doEditVideo(recordedItem(m_recording)).ok());
    QVERIFY(curve.wait(kPatienceMs));
    QVERIFY(curve.first().first().toBool());
    QCOMPARE(page.audioVisualizer()->values().size(), kSeconds * 10);
    // Played on: the clock moves.
    QTRY_VERIFY_WITH_TIMEOUT(page.elapsedText() > QStringLiteral("00:00:01"), kPatienceMs);

    // The screen shows the picture (not black) and the curve under the time line.
    const auto shown = [&page](QWidget *part) {
        const QImage screen = keepScreenshot(QStringLiteral("editing-page"), 0);
        return screen.copy(QRect(part->mapToGlobal(QPoint(0, 0)), part->size()));
    };
    QTRY_VERIFY_WITH_TIMEOUT(shown(page.playerWindow()).pixelColor(160, 120) != QColor(Qt::black), kPatienceMs);
    const auto curveDrawn = [&shown, &page] {
        const QImage graph = shown(page.audioVisualizer());
        for (int y = 0; y < graph.height(); ++y) {
            if (graph.pixelColor(graph.width() / 2, y) == QColor(60, 110, 150))
                return true;
        }
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(curveDrawn(), kPatienceMs);

    // A seek into the still stretch shows the picture of that moment (the last one
    // drawn before it), not the next change.
    QVERIFY(QMetaObject::invokeMethod(&page, "onPause"));
    QVERIFY(QMetaObject::invokeMethod(&page, "onSeekMoved", Q_ARG(qint64, 12000)));
    const auto near = [](const QColor &a, const QColor &b) {
        return qAbs(a.red() - b.red()) < 16 && qAbs(a.green() - b.green()) < 16 && qAbs(a.blue() - b.blue()) < 16;
    };
    QTRY_VERIFY2_WITH_TIMEOUT(near(shown(page.playerWindow()).pixelColor(160, 120), QColor(frameColour(99))),
                              qPrintable(shown(page.playerWindow()).pixelColor(160, 120).name()), kPatienceMs);
    QCOMPARE(page.elapsedText(), QStringLiteral("00:00:12"));
}

BC_XSESSION_TEST_MAIN(TestEditing)
#include "tst_editing.moc"
