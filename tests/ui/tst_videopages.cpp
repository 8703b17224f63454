// The video pages with real recordings and the bundled service, and the notifiers,
// on the display scripts/test provides.
#include "library/ListFile.h"
#include "library/TranslatorManager.h"
#include "library/User.h"
#include "library/WindowConfig.h"
#include "resources/Resources.h"
#include "media/EncoderThread.h"
#include "media/FrameDecoder.h"
#include "net/HttpConnection.h"
#include "net/LoginRequests.h"
#include "net/VideoUpload.h"
#include "tests/support/MediaInputs.h"
#include "tests/support/MessageBoxes.h"
#include "tests/support/Screenshot.h"
#include "tests/support/ServiceProcess.h"
#include "tests/support/TestFiles.h"
#include "ui/EditedPage.h"
#include "ui/EditingPage.h"
#include "ui/MainPage.h"
#include "ui/Notifiers.h"
#include "ui/RecordedPage.h"
#include "ui/Timeline.h"
#include "ui/VideoPlayer.h"

#include <QApplication>
#include <QPointer>
#include <QRegularExpression>
#include <QScreen>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

#include <unistd.h>

namespace {

constexpr int kPatienceMs = ServiceProcess::kPatienceMs;

// WCAG's contrast ratio of two colours (1 to 21).
double contrastRatio(const QColor &a, const QColor &b)
{
    const auto luminance = [](const QColor &c) {
        const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

RecordedItemSptr recording(const QString &path, const QString &name)
{
    if (!makeVideo(path, 20))
        return nullptr;
    auto item = std::make_shared<RecordedItem>();
    item->date = QDateTime::currentDateTime();
    item->videoName = name;
    item->info = createVideoInfo(path, RecordedItemWidget::kThumbnailSize);
    return item;
}

template<class Widget>
Widget *child(QWidget *parent, const char *name)
{
    return parent->findChild<Widget *>(QString::fromLatin1(name));
}

} // namespace

class TestVideoPages : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void recordedListsAndEditing();
    void editorVolumeIsRemembered();
    void uploadFailureAndSuccess();
    void notifierPlacement();
    void notifiersClosing();
    void notifiersFollowTheLanguage();

private:
    QTemporaryDir m_home;
    std::unique_ptr<User> m_user;
    std::unique_ptr<WindowConfig> m_settings;
    std::unique_ptr<HttpConnection> m_connection;
    std::unique_ptr<TranslatorManager> m_translations;
};

void TestVideoPages::initTestCase()
{
    const QString dir = m_home.filePath(QStringLiteral("user"));
    QVERIFY(ensureDirectories(dir).ok());
    m_user = std::make_unique<User>(std::make_shared<UserInfo>(UserInfo{QString(), QStringLiteral("demo"), QString()}), dir);
    m_settings = std::make_unique<WindowConfig>(m_user->paths());
    m_connection = std::make_unique<HttpConnection>();
    // English from its catalogue, as the program reads it under any locale.
    m_translations = std::make_unique<TranslatorManager>();
    QVERIFY(m_translations->load(QStringLiteral("English")));
}

void TestVideoPages::recordedListsAndEditing()
{
    const UserPaths &paths = m_user->paths();
    QList<RecordedItemSptr> pending;
    QList<RecordedItemSptr> archived;
    for (int i = 0; i < 5; ++i) {
        const RecordedItemSptr item = recording(paths.recorded.filePath(QStringLiteral("v%1.avi").arg(i)),
                                                QStringLiteral("Hand %1").arg(i));
        QVERIFY(item);
        (i < 3 ? pending : archived).append(item);
    }
    QVERIFY(saveList(paths.pendingList, pending).ok());
    QVERIFY(saveList(paths.archiveList, archived).ok());

    MainPage page;
    // The player's own window inside the page that also shows the service's pages.
    page.editingItem()->editingPage()->playerWindow()->setOutputs({QStringLiteral("x11")}, QStringLiteral("null"));
    page.resize(1000, 700);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    page.loadState();
    RecordedPage *recorded = page.recordedPage();
    QCOMPARE(page.tabText(0), QStringLiteral("Recorded (5)"));
    auto *innerTabs = recorded->findChild<QTabWidget *>();
    QCOMPARE(innerTabs->tabText(0), QStringLiteral("Pending videos (3)"));
    QCOMPARE(innerTabs->tabText(1), QStringLiteral("Archived videos (2)"));

    // Nothing checked: nothing moves. One checked: it goes to the end of the archive.
    child<QPushButton>(recorded, "btnArchive")->click();
    QCOMPARE(recorded->pendingPage()->count(), 3);
    recorded->pendingPage()->widgets().at(1)->setChecked(true);
    child<QPushButton>(recorded, "btnArchive")->click();
    QCOMPARE(recorded->pendingPage()->count(), 2);
    QCOMPARE(loadList<RecordedItem>(paths.archiveList).size(), 3);
    QCOMPARE(loadList<RecordedItem>(paths.archiveList).last()->videoName, QStringLiteral("Hand 1"));
    QCOMPARE(page.tabText(0), QStringLiteral("Recorded (5)"));

    // Deleting removes the entry and its files.
    RecordedItemWidget *doomed = recorded->archivePage()->widgets().first();
    const QString video = doomed->item()->info->fileName;
    const QString thumbnail = doomed->item()->info->thumbnailFile;
    doomed->setChecked(true);
    child<QPushButton>(recorded, "btnDeleteArchive")->click();
    QVERIFY(!QFile::exists(video) && !QFile::exists(thumbnail));
    QCOMPARE(loadList<RecordedItem>(paths.archiveList).size(), 2);
    QCOMPARE(page.tabText(0), QStringLiteral("Recorded (4)"));

    // Edited: the editing tab opens, the item's border turns red until editing ends.
    RecordedItemWidget *edited = recorded->pendingPage()->widgets().first();
    child<QPushButton>(edited, "btnEdit")->click();
    QCOMPARE(page.tabs()->currentIndex(), 1);
    QCOMPARE(page.tabText(1), QStringLiteral("Editing (1)"));
    QVERIFY(edited->styleSheet().contains(QStringLiteral("rgb(111, 41, 41)")));
    QVERIFY(page.editingItem()->editingPage()->playerWindow()->player());
    page.editingItem()->finish();
    QVERIFY(edited->styleSheet().contains(QStringLiteral("rgb(54, 54, 54)")));
    QCOMPARE(page.tabText(1), QStringLiteral("Editing (0)"));
    page.tabs()->setCurrentIndex(0);

    // A video that cannot be played is told, and the Editing tab does not open on it.
    RecordedItemWidget *broken = recorded->pendingPage()->widgets().last();
    QVERIFY(writeAll(broken->item()->info->fileName, "not a video"));
    QString told;
    answerNextMessageBox(QMessageBox::Ok, &told);
    child<QPushButton>(broken, "btnEdit")->click();
    QVERIFY2(told.startsWith(QStringLiteral("Editing|This video cannot be played")), qPrintable(told));
    QCOMPARE(page.tabs()->currentIndex(), 0);
    QCOMPARE(page.tabText(1), QStringLiteral("Editing (0)"));
    QVERIFY(!page.editingItem()->editingPage()->item());

    // One whose edit waits for the encoder is kept, and the user told why.
    QTemporaryDir bin;
    const QString encoder = bin.filePath(QStringLiteral("encoder"));
    QVERIFY(writeAll(encoder, "#!/bin/sh\nread answer\n"));
    QVERIFY(QFile::setPermissions(encoder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    EncoderThreadQueue queue;
    queue.setProgram(encoder);
    RecordedItemWidget *busy = recorded->pendingPage()->widgets().first();
    auto edit = std::make_shared<EditedItem>(EditedItem{busy->item(), 0, 1000, std::make_shared<UploadParams>(),
                                                         QDateTime::currentDateTime(), 100});
    queue.enqueue(edit, false);
    const int before = recorded->pendingPage()->count();
    busy->setChecked(true);
    answerNextMessageBox(QMessageBox::Ok, &told);
    child<QPushButton>(recorded, "btnDeletePending")->click();
    QVERIFY2(told.contains(QStringLiteral("1 of the videos chosen is being encoded")), qPrintable(told));
    QCOMPARE(recorded->pendingPage()->count(), before);
    QVERIFY(QFile::exists(edit->source->info->fileName));
    queue.stop();

    // Another language: the list's items and the editor's panel follow at once, dates
    // written that language's way.
    m_translations->setConfFile(m_home.filePath(QStringLiteral("lang.conf")));
    RecordedItemWidget *shown = recorded->pendingPage()->widgets().first();
    const QString englishDate = child<QLabel>(shown, "lblAdded")->text();
    QVERIFY2(englishDate.contains(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d[ap]m - "))), qPrintable(englishDate));
    page.editingItem()->editControl()->setItem(shown->item());
    QVERIFY(m_translations->setLanguage(QStringLiteral("French")));
    QTRY_COMPARE(child<QPushButton>(shown, "btnEdit")->text(), QStringLiteral("Éditer"));
    const QString frenchDate = child<QLabel>(shown, "lblAdded")->text();
    QVERIFY2(frenchDate.contains(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d - \\d\\d/\\d\\d/\\d{4}$"))),
             qPrintable(frenchDate));
    QCOMPARE(child<QPushButton>(page.editingItem()->editControl(), "btnEncodeUpload")->text(),
             QCoreApplication::translate("EditControlPage", "Save and upload"));
    QVERIFY(child<QPushButton>(page.editingItem()->editControl(), "btnEncodeUpload")->text() != QStringLiteral("Save and upload"));
    QVERIFY(m_translations->setLanguage(QStringLiteral("English")));
    QTRY_COMPARE(child<QPushButton>(shown, "btnEdit")->text(), QStringLiteral("Edit"));
    QCOMPARE(child<QLabel>(shown, "lblAdded")->text(), englishDate);
    page.editingItem()->editControl()->setItem(nullptr);
}

void TestVideoPages::editorVolumeIsRemembered()
{
    m_settings->setVolumeLevel(37);
    {
        EditingPage page;
        QCOMPARE(page.volumeSlider()->value(), 37);
        page.volumeSlider()->tryMoveTo(64);
        QCOMPARE(m_settings->volumeLevel(), 64);
    }
    EditingPage again;
    QCOMPARE(again.volumeSlider()->value(), 64);
}

void TestVideoPages::uploadFailureAndSuccess()
{
    ServiceProcess service;
    QVERIFY(service.start());
    qputenv("BRINDLECAST_SERVICE_URL", service.url(QString()).toUtf8());
    const QString file = m_user->paths().edited.filePath(QStringLiteral("hand.flv"));
    QVERIFY(writeAll(file, QByteArray(20000, 'f')));
    auto stored = std::make_shared<StoredItem>();
    stored->encodedItem = std::make_shared<EncodedItem>();
    stored->encodedItem->fileName = file;
    stored->uploadParams = std::make_shared<UploadParams>(UploadParams{QStringLiteral("Quads"), 12});
    stored->encodedItem->params = stored->uploadParams;
    stored->addedDate = stored->editedDate = QDateTime::currentDateTime();
    QVERIFY(saveList(m_user->paths().editedList, QList<StoredItemSptr>{stored}).ok());

    {
        EditedPage page(m_user->paths().editedList);
        page.loadState();
        QCOMPARE(page.count(), 1);
        EditedItemWidget *item = page.widgets().first();
        QCOMPARE(item->state(), EditedItemWidget::State::Encoded);
        // Not logged in: the service refuses and says why; the entry keeps status 1.
        item->doUpload();
        QCOMPARE(item->state(), EditedItemWidget::State::Uploading);
        QTRY_COMPARE_WITH_TIMEOUT(item->state(), EditedItemWidget::State::UploadFailed, kPatienceMs);
        QCOMPARE(item->statusText(), QStringLiteral("Upload failed"));
        QCOMPARE(child<QLabel>(item, "lblUploadError")->text(), QStringLiteral("The upload failed: Please log in first"));
        QVERIFY(child<QLabel>(item, "lblUploadError")->isVisibleTo(item));
        QVERIFY(child<QPushButton>(item, "btnUpload")->isVisibleTo(item));
        QCOMPARE(loadList<StoredItem>(m_user->paths().editedList).first()->status, int(StoredItem::Encoded));

        auto *login = new LoginRequest(QStringLiteral("demo@brindlecast.local"), passwordDigest(QStringLiteral("demo")));
        QSignalSpy loggedIn(login, &LoginRequest::replyParsed);
        HttpConnection::post(login, 0, 0);
        QVERIFY(loggedIn.wait(kPatienceMs));
        // Tried again from the list's own button.
        item->setChecked(true);
        child<QPushButton>(&page, "btnUploadSelect")->click();
        QTRY_COMPARE_WITH_TIMEOUT(item->state(), EditedItemWidget::State::Uploaded, kPatienceMs);
        QCOMPARE(item->statusText(), QStringLiteral("Uploaded"));
        QVERIFY(!child<QLabel>(item, "lblUploadError")->isVisibleTo(item));
    }
    // Started again, the list shows the uploaded video with its links.
    EditedPage again(m_user->paths().editedList);
    again.loadState();
    EditedItemWidget *item = again.widgets().first();
    QCOMPARE(item->state(), EditedItemWidget::State::Uploaded);
    const QString key = item->item()->uploadKey;
    QVERIFY(!key.isEmpty());
    const QString links = child<QLabel>(item, "lblLinks")->text();
    QVERIFY2(links.contains(service.url(QStringLiteral("/video/")) + key) && links.contains(QStringLiteral("Edit page")),
             qPrintable(links));

    // As the screen shows them, in the program's look: plainly readable links.
    const QString previousLook = qApp->styleSheet();
    qApp->setStyleSheet(applicationStyleSheet());
    again.resize(900, 400);
    again.show();
    QVERIFY(QTest::qWaitForWindowExposed(&again));
    QLabel *label = child<QLabel>(item, "lblLinks");
    QImage shown;
    QTRY_VERIFY(!(shown = keepScreenshot(QStringLiteral("edited-links"), again.winId())).isNull()
                && shown.copy(QRect(label->mapTo(&again, QPoint(0, 0)), label->size())).pixelColor(2, label->height() / 2)
                           != QColor(Qt::black));
    const QImage area = shown.copy(QRect(label->mapTo(&again, QPoint(0, 0)), label->size()));
    const QColor linkColour(QLatin1String(EditedItemWidget::kLinkColour));
    int linkPixels = 0;
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x)
            linkPixels += area.pixelColor(x, y) == linkColour;
    QVERIFY2(linkPixels > 20, qPrintable(QString::number(linkPixels)));
    const QColor background = area.pixelColor(area.width() - 2, 1);
    QVERIFY2(contrastRatio(linkColour, background) >= 4.5, qPrintable(background.name()));
    qApp->setStyleSheet(previousLook);

    // No browser to be found: "Activate now" shows the address to copy instead.
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", m_home.filePath(QStringLiteral("no-programs")).toUtf8());
    qunsetenv("BROWSER");
    qunsetenv("DEFAULT_BROWSER");
    child<QPushButton>(item, "btnActivate")->click();
    qputenv("PATH", path);
    QMessageBox *told = nullptr;
    QTRY_VERIFY((told = again.findChild<QMessageBox *>(QStringLiteral("activateAddressBox"))));
    QVERIFY2(told->text().contains(videoEditUrl(key)), qPrintable(told->text()));
    told->close();
}

void TestVideoPages::notifierPlacement()
{
    // A 1920 x 1080 screen with a 40-pixel panel at the bottom.
    const QRect available(0, 0, 1920, 1040);
    QCOMPARE(NotifierQueue::place(available, 0), QPoint(1652, 932));
    QCOMPARE(NotifierQueue::place(available, 1), QPoint(1652, 824));
    QCOMPARE(NotifierQueue::place(available, 2), QPoint(1652, 716));

    // On this screen: newest lowest; closing the middle one moves the oldest down.
    NotifierQueue queue;
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QList<QPointer<Notifier>> shown;
    for (int i = 0; i < 3; ++i) {
        auto *notifier = new NewVideoNotifier(i + 1);
        queue.add(notifier);
        shown.append(notifier);
    }
    QCOMPARE(shown.at(2)->pos(), NotifierQueue::place(screen, 0));
    QCOMPARE(shown.at(0)->pos(), NotifierQueue::place(screen, 2));
    shown.at(1)->close();
    QCOMPARE(queue.notifiers().size(), 2);
    QCOMPARE(shown.at(0)->pos(), NotifierQueue::place(screen, 1));
    QTRY_VERIFY(shown.at(1).isNull());
    queue.closeAll();
    QTRY_VERIFY(shown.at(0).isNull() && shown.at(2).isNull());
}

void TestVideoPages::notifiersClosing()
{
    NotifierQueue queue;
    auto *update = new NewUpdateNotifier;
    queue.add(update);
    // Waits for an answer, however long.
    QVERIFY(!update->closeTimer().isActive());
    auto *video = new NewVideoNotifier(7);
    QVERIFY(video->closeTimer().isActive());
    QCOMPARE(video->closeTimer().interval(), 20000);
    queue.add(video);
    QSignalSpy titled(video, &NewVideoNotifier::videoTitleSet);
    QPointer<Notifier> gone = video;
    child<QPushButton>(video, "btnEnter")->click();
    QCOMPARE(titled.size(), 0);
    QTRY_VERIFY(gone.isNull());

    auto *named = new NewVideoNotifier(8);
    queue.add(named);
    QSignalSpy named_(named, &NewVideoNotifier::videoTitleSet);
    named->titleEdit()->setText(QStringLiteral("Aces cracked"));
    child<QPushButton>(named, "btnEnter")->click();
    QCOMPARE(named_.size(), 1);
    QCOMPARE(named_.first().first().toString(), QStringLiteral("Aces cracked"));
    QCOMPARE(queue.notifiers(), QList<Notifier *>({update}));
}

void TestVideoPages::notifiersFollowTheLanguage()
{
    m_translations->setConfFile(m_home.filePath(QStringLiteral("lang.conf")));
    NewUpdateNotifier update;
    NewVideoNotifier video(7);
    auto *restart = child<QPushButton>(&update, "btnRestart");
    auto *title = child<QLabel>(&video, "lblFrameTitle");
    QCOMPARE(restart->text(), QStringLiteral("Restart"));
    QCOMPARE(title->text(), QStringLiteral("- Saving video #7"));
    QVERIFY(m_translations->setLanguage(QStringLiteral("Spanish")));
    QTRY_VERIFY(restart->text() != QStringLiteral("Restart"));
    QCOMPARE(restart->text(), QCoreApplication::translate("NewUpdateNotifier", "Restart"));
    QCOMPARE(title->text(), QCoreApplication::translate("NewVideoNotifier", "- Saving video #%1").arg(7));
    QVERIFY(title->text() != QStringLiteral("- Saving video #7"));
    QCOMPARE(video.titleEdit()->placeholderText(), QCoreApplication::translate("NewVideoNotifier", "Enter a title..."));
    QVERIFY(m_translations->setLanguage(QStringLiteral("English")));
    QTRY_COMPARE(restart->text(), QStringLiteral("Restart"));
}

int main(int argc, char **argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    TestVideoPages test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_videopages.moc"
