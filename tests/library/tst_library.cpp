#include "library/LibraryItems.h"
#include "library/ListFile.h"
#include "library/User.h"

#include <QFile>
#include <QImage>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include "tests/support/TestFiles.h"

namespace {

QPixmap picture()
{
    QImage image(32, 18, QImage::Format_RGB32);
    image.fill(QColor(20, 120, 40));
    return QPixmap::fromImage(image);
}

const QDateTime kAfternoon(QDate(2011, 12, 1), QTime(14, 5));

} // namespace

class TestLibrary : public QObject
{
    Q_OBJECT
private slots:
    // Must stay first: it counts the items constructed in this run.
    void titlesFollowConstructionOrder();
    void currentUserFollowsLifetime();
    void ensureDirectoriesCreatesTree();
    void ensureDirectoriesReportsFirstFailure_data();
    void ensureDirectoriesReportsFirstFailure();
    void pendingListFileLayoutAndRoundTrip();
    void olderPendingFileLoads();
    void damagedListGivesEmptyList();
    void editedListFileLayoutAndRoundTrip();
    void unusableStoredEntriesKeptAside();
    void displayTexts();
    void thumbnails();
    void deletingRecordedFiles();
    void deletingStoredFiles();
    void temporaryFilesRemoved();

private:
    QTemporaryDir m_dir;
};

void TestLibrary::titlesFollowConstructionOrder()
{
    RecordedItem first;
    RecordedItem second;
    second.videoName = QStringLiteral("Aces cracked");
    RecordedItem third;
    QCOMPARE(first.title(), QStringLiteral("Video #0001"));
    QCOMPARE(second.title(), QStringLiteral("Aces cracked"));
    QCOMPARE(third.title(), QStringLiteral("Video #0003"));
    QCOMPARE(third.sequenceNumber(), 3);
}

void TestLibrary::currentUserFollowsLifetime()
{
    QCOMPARE(User::current(), nullptr);
    {
        User user(std::make_shared<UserInfo>(UserInfo{QStringLiteral("a@b.c"), QStringLiteral("shark"), QString()}),
                  userDirectoryPath(QStringLiteral("shark")));
        QCOMPARE(User::current(), &user);
        QCOMPARE(user.info()->username, QStringLiteral("shark"));
    }
    QCOMPARE(User::current(), nullptr);
}

void TestLibrary::ensureDirectoriesCreatesTree()
{
    const QString dir = m_dir.filePath(QStringLiteral("deep/users/fish"));
    QVERIFY(ensureDirectories(dir).ok());
    const UserPaths paths(dir);
    for (const QDir &d : {paths.userDir, paths.tmp, paths.out, paths.recorded, paths.edited, paths.thumbnail})
        QVERIFY2(d.exists(), qPrintable(d.path()));
    // Existing directories are fine.
    QVERIFY(ensureDirectories(dir).ok());
}

void TestLibrary::ensureDirectoriesReportsFirstFailure_data()
{
    // A plain file where a directory must be stops the check there (this also
    // holds for root, for whom read-only directories are no obstacle).
    QTest::addColumn<QString>("blocker");
    QTest::addColumn<QString>("text");
    QTest::newRow("user") << QString() << QStringLiteral("Can not access user directory");
    QTest::newRow("tmp") << QStringLiteral("tmp") << QStringLiteral("Can not access tmp directory");
    QTest::newRow("thumbnail") << QStringLiteral("out/thumbnail") << QStringLiteral("Can not access thumbnail directory");
}

void TestLibrary::ensureDirectoriesReportsFirstFailure()
{
    QFETCH(QString, blocker);
    QFETCH(QString, text);
    QTemporaryDir base;
    QString userDir = base.filePath(QStringLiteral("user"));
    if (blocker.isEmpty()) {
        QVERIFY(writeAll(base.filePath(QStringLiteral("file")), "x"));
        userDir = base.filePath(QStringLiteral("file/user"));
    } else {
        QVERIFY(QDir().mkpath(QFileInfo(QDir(userDir).filePath(blocker)).path()));
        QVERIFY(writeAll(QDir(userDir).filePath(blocker), "x"));
    }
    const bc_ret ret = ensureDirectories(userDir);
    QCOMPARE(ret.entries(), (QList<bc_ret::Entry>{{QString(), 0, text}}));
}

void TestLibrary::pendingListFileLayoutAndRoundTrip()
{
    const QString path = m_dir.filePath(QStringLiteral("pending.conf"));
    const QString thumb = m_dir.filePath(QStringLiteral("thumb.png"));
    QVERIFY(picture().save(thumb, "PNG"));

    QList<RecordedItemSptr> items;
    for (int i = 0; i < 3; ++i) {
        auto item = std::make_shared<RecordedItem>();
        item->videoName = i == 0 ? QStringLiteral("Final table") : QString();
        item->date = kAfternoon.addDays(i);
        item->room = i == 0 ? 12 : -1;
        item->info = std::make_shared<VideoInfo>();
        item->info->fileName = QStringLiteral("/v/%1.avi").arg(i);
        item->info->fileSize = Q_INT64_C(1073741824) * (i + 1);
        item->info->duration = 3723000 + i;
        item->info->thumbnailFile = i == 0 ? thumb : QString();
        items << item;
    }
    // Still being assembled: no video yet, so it is not kept.
    items << std::make_shared<RecordedItem>();

    QVERIFY(saveList(path, items.mid(0, 1)).ok());
    QCOMPARE(readAll(path), QByteArray("<Brindlecast>\n"
                                       "  <item>\n"
                                       "    <videoName value=\"Final table\"/>\n"
                                       "    <date value=\"2011/12/01 - 02:05 PM\"/>\n"
                                       "    <room value=\"12\"/>\n"
                                       "    <info>\n"
                                       "      <fileName value=\"/v/0.avi\"/>\n"
                                       "      <fileSize value=\"1073741824\"/>\n"
                                       "      <duration value=\"3723000\"/>\n"
                                       "      <thumbnailFile value=\"")
                                 + thumb.toUtf8()
                                 + QByteArray("\"/>\n"
                                              "    </info>\n"
                                              "  </item>\n"
                                              "</Brindlecast>\n"));

    // Every field survives a reload: saving what was read gives the same file.
    QVERIFY(saveList(path, items.mid(0, 3)).ok());
    const QByteArray saved = readAll(path);
    QVERIFY(saveList(path, items).ok());
    const QList<RecordedItemSptr> back = loadList<RecordedItem>(path);
    QCOMPARE(back.size(), 3);
    QVERIFY(saveList(path, back).ok());
    QCOMPARE(readAll(path), saved);
    QCOMPARE(back.at(0)->info->thumbnail.size(), QSize(32, 18));
    QVERIFY(back.at(1)->info->thumbnail.isNull());
    // Reloaded items are new items of this run.
    QVERIFY(back.at(2)->sequenceNumber() > items.last()->sequenceNumber());
}

void TestLibrary::olderPendingFileLoads()
{
    const QString path = m_dir.filePath(QStringLiteral("old-pending.conf"));
    QVERIFY(writeAll(path, "<Brindlecast>\r\n"
                           "  <item>\r\n"
                           "    <videoName/>\r\n"
                           "    <date value=\"2010/03/04 - 02:05 PM\"/>\r\n"
                           "    <info>\r\n"
                           "      <fileName value=\"C:/Users/p/Brindlecast/a.avi\"/>\r\n"
                           "      <fileSize value=\"5\"/>\r\n"
                           "      <duration value=\"1000\"/>\r\n"
                           "      <thumbnailFile value=\"C:/gone.png\"/>\r\n"
                           "    </info>\r\n"
                           "  </item>\r\n"
                           "  <item/>\r\n"
                           "  <item>\r\n"
                           "    <videoName value=\"no info\"/>\r\n"
                           "  </item>\r\n"
                           "</Brindlecast>\r\n"));
    const QList<RecordedItemSptr> items = loadList<RecordedItem>(path);
    QCOMPARE(items.size(), 1);
    QCOMPARE(items.first()->room, -1);
    QCOMPARE(items.first()->date, QDateTime(QDate(2010, 3, 4), QTime(14, 5)));
    QCOMPARE(items.first()->info->fileSize, Q_INT64_C(5));
    QCOMPARE(items.first()->info->duration, 1000);
    QVERIFY(items.first()->info->thumbnail.isNull());
}

void TestLibrary::damagedListGivesEmptyList()
{
    const QString path = m_dir.filePath(QStringLiteral("damaged.conf"));
    QVERIFY(writeAll(path, "<Brindlecast><item><videoName value=\"x\"/><info>"));
    QVERIFY(loadList<RecordedItem>(path).isEmpty());
    QVERIFY(loadList<StoredItem>(m_dir.filePath(QStringLiteral("missing.conf"))).isEmpty());
}

void TestLibrary::editedListFileLayoutAndRoundTrip()
{
    const QString path = m_dir.filePath(QStringLiteral("edited.conf"));
    auto params = std::make_shared<UploadParams>(UploadParams{QStringLiteral("Bluff \"river\""), 3});

    auto uploaded = std::make_shared<StoredItem>();
    uploaded->encodedItem = std::make_shared<EncodedItem>(EncodedItem{QStringLiteral("/e/a.flv"), params});
    uploaded->uploadParams = params;
    uploaded->addedDate = kAfternoon;
    uploaded->editedDate = QDateTime(QDate(2011, 12, 2), QTime(9, 30));
    uploaded->duration = 61000;
    uploaded->status = StoredItem::Uploaded;
    uploaded->uploadKey = QStringLiteral("k9");
    uploaded->thumbnailFile = QStringLiteral("/t.png");

    // Encoding not finished yet: an empty entry, gone after a reload.
    auto encoding = std::make_shared<StoredItem>();
    encoding->uploadParams = params;

    auto encoded = std::make_shared<StoredItem>(*uploaded);
    encoded->encodedItem = std::make_shared<EncodedItem>(EncodedItem{QStringLiteral("/e/b.flv"), nullptr});
    encoded->uploadParams = nullptr;
    encoded->status = StoredItem::Encoded;
    encoded->uploadKey.clear();

    QVERIFY(saveList(path, QList<StoredItemSptr>{uploaded, encoding}).ok());
    QCOMPARE(readAll(path), QByteArray("<Brindlecast>\n"
                                       "  <item>\n"
                                       "    <encodedItem>\n"
                                       "      <fileName value=\"/e/a.flv\"/>\n"
                                       "      <uploadParams>\n"
                                       "        <videoTitle value=\"Bluff &quot;river&quot;\"/>\n"
                                       "        <room value=\"3\"/>\n"
                                       "      </uploadParams>\n"
                                       "    </encodedItem>\n"
                                       "    <uploadParams>\n"
                                       "      <videoTitle value=\"Bluff &quot;river&quot;\"/>\n"
                                       "      <room value=\"3\"/>\n"
                                       "    </uploadParams>\n"
                                       "    <addedDate value=\"2011/12/01 - 02:05 PM\"/>\n"
                                       "    <editedDate value=\"2011/12/02 - 09:30 AM\"/>\n"
                                       "    <duration value=\"61000\"/>\n"
                                       "    <status value=\"2\"/>\n"
                                       "    <uploadKey value=\"k9\"/>\n"
                                       "    <thumbnailFile value=\"/t.png\"/>\n"
                                       "  </item>\n"
                                       "  <item/>\n"
                                       "</Brindlecast>\n"));

    // Every field survives a reload: saving what was read gives the same file.
    QVERIFY(saveList(path, QList<StoredItemSptr>{uploaded, encoded}).ok());
    const QByteArray saved = readAll(path);
    QVERIFY(saveList(path, QList<StoredItemSptr>{uploaded, encoding, encoded}).ok());
    const QList<StoredItemSptr> back = loadList<StoredItem>(path);
    QCOMPARE(back.size(), 2);
    QVERIFY(saveList(path, back).ok());
    QCOMPARE(readAll(path), saved);
    // Missing parameter records are written empty, so the entry is not lost.
    QCOMPARE(back.at(1)->encodedItem->fileName, QStringLiteral("/e/b.flv"));
    QCOMPARE(back.at(1)->encodedItem->params->room, -1);
    QCOMPARE(back.at(1)->uploadParams->videoTitle, QString());
    QCOMPARE(back.at(1)->status, int(StoredItem::Encoded));
}

void TestLibrary::unusableStoredEntriesKeptAside()
{
    const QByteArray params = "<uploadParams><videoTitle value=\"t\"/><room value=\"1\"/></uploadParams>";
    const QByteArray encoded = "<encodedItem><fileName value=\"/e.flv\"/>" + params + "</encodedItem>";
    auto entry = [](const QByteArray &body) { return "<item>" + body + "</item>"; };
    const QString path = m_dir.filePath(QStringLiteral("edited-unusable.conf"));
    QVERIFY(writeAll(path, "<Brindlecast>"
                                   + entry(encoded + params + "<status value=\"0\"/>")
                                   + entry(encoded + params + "<status value=\"3\"/>")
                                   + entry(encoded + params)
                                   + entry(params + "<status value=\"1\"/>")
                                   + entry(encoded + "<status value=\"1\"/>")
                                   + entry("<encodedItem><fileName value=\"/e.flv\"/></encodedItem>" + params
                                           + "<status value=\"1\"/>")
                                   + entry(encoded + params + "<status value=\"1\"/><uploadKey value=\"ok\"/>")
                                   + "</Brindlecast>"));
    const QByteArray original = readAll(path);
    takeFileDamages();
    bool writable = false;
    const QList<StoredItemSptr> items = loadList<StoredItem>(path, &writable);
    // An unknown or missing status costs nothing: the video can be uploaded again.
    QCOMPARE(items.size(), 4);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(items.at(i)->status, int(StoredItem::Encoded));
    QCOMPARE(items.last()->uploadKey, QStringLiteral("ok"));
    QCOMPARE(items.last()->duration, Q_INT64_C(0));
    QVERIFY(!items.last()->addedDate.isValid());
    // Entries that cannot be read at all make the file damaged: it is kept aside as it
    // was, and the user is told.
    QVERIFY(writable);
    QVERIFY(!QFile::exists(path));
    const QList<FileDamage> damages = takeFileDamages();
    QCOMPARE(damages.size(), 1);
    QCOMPARE(damages.first().file, path);
    QCOMPARE(damages.first().entriesKept, 4);
    QCOMPARE(readAll(damages.first().keptAs), original);
}

void TestLibrary::displayTexts()
{
    QCOMPARE(durationText(3723000), QStringLiteral("01:02:03"));
    QCOMPARE(durationText(59999), QStringLiteral("00:00:59"));
    QCOMPARE(durationText(-1), QStringLiteral("00:00:00"));
    QCOMPARE(durationText(Q_INT64_C(100) * 3600000), QStringLiteral("100:00:00"));

    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QCOMPARE(fileSizeText(Q_INT64_C(1073741824)), QStringLiteral("1024.0 MB"));
    QCOMPARE(fileSizeText(Q_INT64_C(1073741825)), QStringLiteral("1.0 GB"));
    QCOMPARE(fileSizeText(Q_INT64_C(5) << 40), QStringLiteral("5120.0 GB"));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(fileSizeText(Q_INT64_C(1572864)), QStringLiteral("1,5 MB"));
    QCOMPARE(dateText(kAfternoon), QStringLiteral("02:05pm - 01/12/2011"));
    QCOMPARE(dateText(QDateTime(QDate(2011, 1, 2), QTime(0, 7))), QStringLiteral("12:07am - 02/01/2011"));
    QLocale::setDefault(previous);
}

void TestLibrary::thumbnails()
{
    QCOMPARE(saveThumbnail(picture()), QString()); // nobody logged in

    const QString dir = m_dir.filePath(QStringLiteral("thumbs-user"));
    QVERIFY(ensureDirectories(dir).ok());
    User user(std::make_shared<UserInfo>(), dir);
    const QString path = saveThumbnail(picture());
    QVERIFY(!path.isEmpty());
    QCOMPARE(QFileInfo(path).absolutePath(), user.paths().thumbnail.absolutePath());
    QVERIFY(path.endsWith(QStringLiteral(".png")));
    QImage back(path, "PNG");
    QCOMPARE(back.size(), QSize(32, 18));
    QCOMPARE(QColor(back.pixel(5, 5)), QColor(20, 120, 40));

    // The thumbnail directory gone: no path, no crash.
    QVERIFY(QDir(user.paths().thumbnail).removeRecursively());
    QCOMPARE(saveThumbnail(picture()), QString());
}

void TestLibrary::deletingRecordedFiles()
{
    QTemporaryDir dir;
    RecordedItem item;
    item.info = std::make_shared<VideoInfo>();
    item.info->fileName = dir.filePath(QStringLiteral("v.avi"));
    item.info->thumbnailFile = dir.filePath(QStringLiteral("t.png"));

    QVERIFY(writeAll(item.info->fileName, "video"));
    QVERIFY(writeAll(item.info->thumbnailFile, "png"));
    QVERIFY(deleteRecordedFiles(item).ok());
    QVERIFY(!QFile::exists(item.info->fileName));
    QVERIFY(!QFile::exists(item.info->thumbnailFile));

    // The video cannot be removed: the thumbnail stays so the entry still shows.
    QVERIFY(QDir().mkpath(QDir(item.info->fileName).filePath(QStringLiteral("inside"))));
    QVERIFY(writeAll(item.info->thumbnailFile, "png"));
    const bc_ret ret = deleteRecordedFiles(item);
    QVERIFY(ret.failed());
    QVERIFY(ret.messages(QString()).contains(item.info->fileName));
    QVERIFY(QFile::exists(item.info->thumbnailFile));

    // The video already gone: the thumbnail goes too.
    QVERIFY(QDir(item.info->fileName).removeRecursively());
    QVERIFY(deleteRecordedFiles(item).ok());
    QVERIFY(!QFile::exists(item.info->thumbnailFile));
}

void TestLibrary::deletingStoredFiles()
{
    QTemporaryDir dir;
    StoredItem item;
    item.encodedItem = std::make_shared<EncodedItem>(EncodedItem{dir.filePath(QStringLiteral("e.flv")), nullptr});
    item.thumbnailFile = dir.filePath(QStringLiteral("t.png"));
    QVERIFY(writeAll(item.encodedItem->fileName, "flv"));
    QVERIFY(writeAll(item.thumbnailFile, "png"));
    QVERIFY(deleteStoredFiles(item).ok());
    QVERIFY(!QFile::exists(item.encodedItem->fileName));
    QVERIFY(!QFile::exists(item.thumbnailFile));
}

void TestLibrary::temporaryFilesRemoved()
{
    const QString dir = m_dir.filePath(QStringLiteral("tmp-user"));
    QVERIFY(ensureDirectories(dir).ok());
    const UserPaths paths(dir);
    // Segments stay, described or not (they are offered for saving); sound without its
    // picture and everything else goes.
    QVERIFY(writeAll(paths.tmp.filePath(QStringLiteral("a_v.avi")), "v"));
    QVERIFY(writeAll(paths.tmp.filePath(QStringLiteral("a_a.avi")), "a"));
    QVERIFY(writeAll(paths.tmp.filePath(QStringLiteral("a.segments.xml")), "<damaged"));
    QVERIFY(writeAll(paths.tmp.filePath(QStringLiteral("b_a.avi")), "a"));
    QVERIFY(writeAll(paths.tmp.filePath(QStringLiteral("help.html")), "h"));
    QVERIFY(writeAll(paths.tmp.filePath(QStringLiteral(".hidden")), "h"));
    QVERIFY(paths.tmp.mkpath(QStringLiteral("keep/inner")));
    QVERIFY(writeAll(paths.tmp.filePath(QStringLiteral("keep/inner/file")), "k"));
    QVERIFY(writeAll(paths.recorded.filePath(QStringLiteral("video.avi")), "r"));

    removeTemporaryFiles(paths);
    QCOMPARE(paths.tmp.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
             (QStringList{QStringLiteral("a.segments.xml"), QStringLiteral("a_a.avi"), QStringLiteral("a_v.avi"),
                          QStringLiteral("keep")}));
    QVERIFY(QFile::exists(paths.tmp.filePath(QStringLiteral("keep/inner/file"))));
    QVERIFY(QFile::exists(paths.recorded.filePath(QStringLiteral("video.avi"))));
}

QTEST_MAIN(TestLibrary)
#include "tst_library.moc"
