#include "library/LibraryItems.h"
#include "library/ListFile.h"
#include "library/XmlElement.h"

#include <QBuffer>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include "tests/support/TestFiles.h"

class TestXml : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void fileLayout();
    void roundTripOfNestedRecordsAndLists();
    void dateTimesDropSecondsWhateverTheLocale();
    void typedReadersFallBackToDefaults();
    void sameTagChildren();
    void readErrors();
    void anyRootAndWindowsLineEndsAreRead();
    void writeIntoMissingDirectory();
    void interruptedWriteKeepsOldFile_data();
    void interruptedWriteKeepsOldFile();
    void hostileFilesAreRefused();
    void damagedListKeepsItsCompleteEntries_data();
    void damagedListKeepsItsCompleteEntries();
    void missingListIsNoDamage();

private:
    QTemporaryDir m_dir;
};

void TestXml::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void TestXml::fileLayout()
{
    XmlRootElement root;
    XmlElement item = root.addChild(QStringLiteral("item"), QString());
    item.addChild(QStringLiteral("title"), QStringLiteral("Hand <1> & \"all-in\" é"));
    item.addChild(QStringLiteral("empty"), QString());
    item.addChild(QStringLiteral("room"), 7);
    const QString path = m_dir.filePath(QStringLiteral("layout.conf"));
    QVERIFY(root.writeToFile(path).ok());
    // UTF-8, no declaration, two blanks per level, value attributes escaped.
    QCOMPARE(readAll(path), QByteArray("<Brindlecast>\n"
                                       "  <item>\n"
                                       "    <title value=\"Hand &lt;1> &amp; &quot;all-in&quot; \xc3\xa9\"/>\n"
                                       "    <empty/>\n"
                                       "    <room value=\"7\"/>\n"
                                       "  </item>\n"
                                       "</Brindlecast>\n"));
}

void TestXml::roundTripOfNestedRecordsAndLists()
{
    const QDateTime when(QDate(2026, 12, 5), QTime(9, 43));
    const QByteArray digest = QByteArray::fromHex("00ff10abcdef");
    {
        XmlRootElement root;
        for (int i = 0; i < 3; ++i) {
            XmlElement item = root.addChild(QStringLiteral("item"), QString());
            item.addChild(QStringLiteral("title"), QStringLiteral("Video #%1").arg(i, 4, 10, QLatin1Char('0')));
            item.addChild(QStringLiteral("sequence"), i - 1);
            item.addChild(QStringLiteral("size"), Q_INT64_C(5000000000) + i);
            item.addChild(QStringLiteral("date"), when);
            item.addChild(QStringLiteral("digest"), digest);
            item.addChild(QStringLiteral("uploaded"), i % 2 == 0);
            XmlElement info = item.addChild(QStringLiteral("info"), QString());
            info.addChild(QStringLiteral("width"), 800 + i);
            info.addChild(QStringLiteral("codec"), "msmpeg4v2");
        }
        QVERIFY(root.writeToFile(m_dir.filePath(QStringLiteral("list.conf"))).ok());
    }
    XmlRootElement root;
    QVERIFY(root.readFromFile(m_dir.filePath(QStringLiteral("list.conf"))).ok());
    const QList<XmlElement> items = root.children(QStringLiteral("item"));
    QCOMPARE(items.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const XmlElement &item = items.at(i);
        QVERIFY(!item.isEmpty());
        QCOMPARE(item.childString(QStringLiteral("title")), QStringLiteral("Video #000%1").arg(i));
        QCOMPARE(item.childInt(QStringLiteral("sequence"), 99), i - 1);
        bool ok = false;
        QCOMPARE(item.childInt64(QStringLiteral("size"), &ok), Q_INT64_C(5000000000) + i);
        QVERIFY(ok);
        QCOMPARE(item.childDateTime(QStringLiteral("date")), when);
        QCOMPARE(item.childBytes(QStringLiteral("digest")), digest);
        QCOMPARE(item.childBool(QStringLiteral("uploaded"), i % 2 != 0), i % 2 == 0);
        const QList<XmlElement> info = item.children(QStringLiteral("info"));
        QCOMPARE(info.size(), 1);
        QCOMPARE(info.first().value(), QString());
        QCOMPARE(info.first().childInt(QStringLiteral("width"), 0), 800 + i);
        QCOMPARE(info.first().childString(QStringLiteral("codec")), QStringLiteral("msmpeg4v2"));
    }
    // Bytes are stored as lower-case hex.
    QVERIFY(readAll(m_dir.filePath(QStringLiteral("list.conf"))).contains("value=\"00ff10abcdef\""));
}

void TestXml::dateTimesDropSecondsWhateverTheLocale()
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    XmlRootElement root;
    root.addChild(QStringLiteral("afternoon"), QDateTime(QDate(2026, 12, 5), QTime(14, 5, 37)));
    root.addChild(QStringLiteral("midnight"), QDateTime(QDate(2026, 1, 2), QTime(0, 30)));
    root.addChild(QStringLiteral("stored"), QStringLiteral("2010/03/04 - 02:05 PM"));
    QCOMPARE(root.childString(QStringLiteral("afternoon")), QStringLiteral("2026/12/05 - 02:05 PM"));
    QCOMPARE(root.childString(QStringLiteral("midnight")), QStringLiteral("2026/01/02 - 12:30 AM"));
    QCOMPARE(root.childDateTime(QStringLiteral("afternoon")), QDateTime(QDate(2026, 12, 5), QTime(14, 5)));
    QCOMPARE(root.childDateTime(QStringLiteral("midnight")), QDateTime(QDate(2026, 1, 2), QTime(0, 30)));
    QCOMPARE(root.childDateTime(QStringLiteral("stored")), QDateTime(QDate(2010, 3, 4), QTime(14, 5)));
    root.addChild(QStringLiteral("garbage"), QStringLiteral("yesterday"));
    QVERIFY(!root.childDateTime(QStringLiteral("garbage")).isValid());
    QVERIFY(!root.childDateTime(QStringLiteral("missing")).isValid());
    QLocale::setDefault(previous);
}

void TestXml::typedReadersFallBackToDefaults()
{
    XmlRootElement root;
    root.addChild(QStringLiteral("text"), QStringLiteral("12a"));
    root.addChild(QStringLiteral("upper"), QStringLiteral("TRUE"));
    root.addChild(QStringLiteral("no"), false);
    root.addChild(QStringLiteral("huge"), QStringLiteral("99999999999"));
    root.addChild(QStringLiteral("badhex"), QStringLiteral("zz"));

    QCOMPARE(root.childInt(QStringLiteral("room"), -1), -1);
    QCOMPARE(root.childInt(QStringLiteral("text"), -1), -1);
    QCOMPARE(root.childInt(QStringLiteral("huge"), -1), -1);
    bool ok = true;
    QCOMPARE(root.childInt64(QStringLiteral("missing"), &ok), Q_INT64_C(0));
    QVERIFY(!ok);
    QCOMPARE(root.childInt64(QStringLiteral("text"), &ok), Q_INT64_C(0));
    QVERIFY(!ok);
    QCOMPARE(root.childInt64(QStringLiteral("huge")), Q_INT64_C(99999999999));
    QCOMPARE(root.childBool(QStringLiteral("upper"), false), false);
    QCOMPARE(root.childBool(QStringLiteral("upper"), true), true);
    QCOMPARE(root.childBool(QStringLiteral("no"), true), false);
    QCOMPARE(root.childBool(QStringLiteral("missing"), true), true);
    QCOMPARE(root.childBytes(QStringLiteral("missing")), QByteArray());
}

void TestXml::sameTagChildren()
{
    XmlRootElement root;
    root.addChild(QStringLiteral("name"), QStringLiteral("first"));
    root.addChild(QStringLiteral("Name"), QStringLiteral("other case"));
    root.addChild(QStringLiteral("name"), QStringLiteral("second"));
    root.addChild(QStringLiteral("group"), QString()).addChild(QStringLiteral("name"), QStringLiteral("grandchild"));

    QCOMPARE(root.childString(QStringLiteral("name")), QStringLiteral("first"));
    const QList<XmlElement> names = root.children(QStringLiteral("name"));
    QCOMPARE(names.size(), 2);
    QCOMPARE(names.at(0).value(), QStringLiteral("first"));
    QCOMPARE(names.at(1).value(), QStringLiteral("second"));
}

void TestXml::readErrors()
{
    const QString missing = m_dir.filePath(QStringLiteral("missing.conf"));
    XmlRootElement root;
    bc_ret ret = root.readFromFile(missing);
    QCOMPARE(ret.entries(),
             (QList<bc_ret::Entry>{{QStringLiteral("XmlRootElement::read"), -1, QStringLiteral("Error opening device")},
                                   {QString(), 0, QStringLiteral("Error reading XML from file '%1'").arg(missing)}}));
    // The root keeps its default content when the file cannot be opened.
    QVERIFY(!root.isNull());

    const QString truncated = m_dir.filePath(QStringLiteral("truncated.conf"));
    QVERIFY(writeAll(truncated, "<Brindlecast>\n  <item>\n    <title value=\"x\"/>\n  </ite"));
    XmlRootElement broken;
    ret = broken.readFromFile(truncated);
    QCOMPARE(ret.entries().size(), 2);
    QVERIFY2(ret.entries().first().text.startsWith(QStringLiteral("XML malformed at line 4")),
             qPrintable(ret.entries().first().text));
    QCOMPARE(ret.entries().last().text, QStringLiteral("Error reading XML from file '%1'").arg(truncated));
    // A caller that ignores the error sees an empty file.
    QVERIFY(broken.isNull());
    QVERIFY(broken.children(QStringLiteral("item")).isEmpty());
    QCOMPARE(broken.childString(QStringLiteral("title")), QString());
}

void TestXml::anyRootAndWindowsLineEndsAreRead()
{
    QBuffer buffer;
    buffer.setData("<Other>\r\n  <item>\r\n    <title value=\"a\"/>\r\n  </item>\r\n</Other>\r\n");
    XmlRootElement root;
    QVERIFY(root.read(&buffer).ok());
    QCOMPARE(root.tagName(), QStringLiteral("Other"));
    QCOMPARE(root.children(QStringLiteral("item")).size(), 1);
    QCOMPARE(root.children(QStringLiteral("item")).first().childString(QStringLiteral("title")), QStringLiteral("a"));
    QVERIFY(!buffer.isOpen());
}

void TestXml::writeIntoMissingDirectory()
{
    const QString path = m_dir.filePath(QStringLiteral("no/such/dir/window.conf"));
    XmlRootElement root;
    root.addChild(QStringLiteral("x"), 1);
    const bc_ret ret = root.writeToFile(path);
    QCOMPARE(ret.entries(), (QList<bc_ret::Entry>{{QString(), 0, QStringLiteral("Error opening file '%1'").arg(path)}}));
    QVERIFY(!QFile::exists(path));
}

void TestXml::interruptedWriteKeepsOldFile_data()
{
    QTest::addColumn<QString>("mode");
    QTest::newRow("crash in the middle of the write") << QStringLiteral("crash");
    QTest::newRow("write fails as on a full disk") << QStringLiteral("fail");
    QTest::newRow("a small write fails only when flushed") << QStringLiteral("small");
}

void TestXml::interruptedWriteKeepsOldFile()
{
    QFETCH(QString, mode);
    const QString path = m_dir.filePath(QStringLiteral("pending-%1.conf").arg(mode));
    XmlRootElement old;
    old.addChild(QStringLiteral("item"), QString()).addChild(QStringLiteral("title"), QStringLiteral("keep me"));
    QVERIFY(old.writeToFile(path).ok());
    const QByteArray before = readAll(path);

    QProcess writer;
    writer.start(QStringLiteral(XML_LIMITED_WRITER), {path, mode});
    QVERIFY(writer.waitForFinished(30000));
    const QString output = QString::fromLocal8Bit(writer.readAllStandardOutput());
    if (mode == QLatin1String("crash")) {
        QCOMPARE(writer.exitStatus(), QProcess::CrashExit);
    } else {
        QCOMPARE(writer.exitStatus(), QProcess::NormalExit);
        QCOMPARE(writer.exitCode(), 0);
        QVERIFY2(output.contains(QStringLiteral("Error writing file '%1'").arg(path)), qPrintable(output));
    }
    QCOMPARE(readAll(path), before);
    XmlRootElement back;
    QVERIFY(back.readFromFile(path).ok());
    QCOMPARE(back.children(QStringLiteral("item")).first().childString(QStringLiteral("title")), QStringLiteral("keep me"));
}

void TestXml::hostileFilesAreRefused()
{
    // Nested far deeper than any file of ours: refused at the limit, not parsed whole.
    const QString deep = m_dir.filePath(QStringLiteral("deep.conf"));
    QVERIFY(writeAll(deep, QByteArray("<a>").repeated(200000) + QByteArray("</a>").repeated(200000)));
    XmlRootElement root;
    bc_ret ret = root.readFromFile(deep);
    QVERIFY(ret.failed());
    QCOMPARE(ret.entries().first().text, QStringLiteral("XML nested deeper than 256 levels"));
    QVERIFY(root.isNull());

    // Just within the limit is still read.
    const QString fine = m_dir.filePath(QStringLiteral("fine.conf"));
    QVERIFY(writeAll(fine, QByteArray("<a>").repeated(256) + QByteArray("</a>").repeated(256)));
    QVERIFY(root.readFromFile(fine).ok());

    const QString large = m_dir.filePath(QStringLiteral("large.conf"));
    QVERIFY(writeAll(large, "<Brindlecast>" + QByteArray(int(XmlRootElement::kMaxBytes), ' ') + "</Brindlecast>"));
    ret = root.readFromFile(large);
    QVERIFY(ret.failed());
    QCOMPARE(ret.entries().first().text, QStringLiteral("XML file larger than 4194304 bytes"));

    // A FIFO would block the reader for ever.
    const QString fifo = m_dir.filePath(QStringLiteral("fifo.conf"));
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ret = root.readFromFile(fifo);
    QVERIFY(ret.failed());
    QCOMPARE(ret.entries().first().text, QStringLiteral("Not a regular file"));
    QVERIFY(root.isNull());
}

void TestXml::damagedListKeepsItsCompleteEntries_data()
{
    QByteArray whole;
    {
        QList<RecordedItemSptr> items;
        for (const char *name : {"first", "second", "third"}) {
            auto item = std::make_shared<RecordedItem>();
            item->videoName = QString::fromLatin1(name);
            item->info = std::make_shared<VideoInfo>();
            item->info->fileName = QStringLiteral("/v/%1.avi").arg(QString::fromLatin1(name));
            items.append(item);
        }
        const QString path = m_dir.filePath(QStringLiteral("whole.conf"));
        QVERIFY(saveList(path, items).ok());
        whole = readAll(path);
    }
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("kept");
    const qsizetype third = whole.indexOf("<item>", whole.indexOf("second"));
    QTest::newRow("cut in the third entry") << whole.left(third + 40) << QStringList{"first", "second"};
    QTest::newRow("cut after the second entry") << whole.left(third) << QStringList{"first", "second"};
    QTest::newRow("zero bytes") << QByteArray() << QStringList();
    QByteArray random(4096, Qt::Uninitialized);
    for (qsizetype i = 0; i < random.size(); ++i)
        random[i] = char((i * 7919 + 13) % 251);
    QTest::newRow("random bytes") << random << QStringList();
    QByteArray deep = whole;
    deep.insert(third, QByteArray("<x>").repeated(300));
    QTest::newRow("nested too deep after two entries") << deep << QStringList{"first", "second"};
}

void TestXml::damagedListKeepsItsCompleteEntries()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, kept);
    const QString path = m_dir.filePath(QStringLiteral("pending-%1.conf").arg(QString::fromLatin1(QTest::currentDataTag())));
    QVERIFY(writeAll(path, bytes));
    takeFileDamages();
    bool writable = false;
    const QList<RecordedItemSptr> items = loadList<RecordedItem>(path, &writable);
    QStringList names;
    for (const RecordedItemSptr &item : items)
        names.append(item->videoName);
    QCOMPARE(names, kept);
    // The damaged file is kept as it was, beside, and the list may be written anew.
    QVERIFY(writable);
    QVERIFY(!QFile::exists(path));
    const QList<FileDamage> damages = takeFileDamages();
    QCOMPARE(damages.size(), 1);
    QCOMPARE(damages.first().entriesKept, int(kept.size()));
    QVERIFY(damages.first().keptAs.startsWith(path + QStringLiteral(".damaged-")));
    QCOMPARE(readAll(damages.first().keptAs), bytes);

    // Damaged again the same second: set aside under another name, nothing overwritten.
    QVERIFY(writeAll(path, "<Brindlecast><item>"));
    loadList<RecordedItem>(path, &writable);
    const QList<FileDamage> again = takeFileDamages();
    QCOMPARE(again.size(), 1);
    QVERIFY(again.first().keptAs != damages.first().keptAs);
    QCOMPARE(readAll(damages.first().keptAs), bytes);
}

void TestXml::missingListIsNoDamage()
{
    takeFileDamages();
    bool writable = false;
    QVERIFY(loadList<RecordedItem>(m_dir.filePath(QStringLiteral("never-written.conf")), &writable).isEmpty());
    QVERIFY(writable);
    QVERIFY(takeFileDamages().isEmpty());
}

QTEST_GUILESS_MAIN(TestXml)
#include "tst_xml.moc"
