// The interface language: the choice at start-up under a German system locale (run
// with LANG=de_DE.UTF-8), switching and remembering it, and catalogues that cover
// every text of the code.
#include "app/Log.h"
#include "library/TranslatorManager.h"
#include "library/XmlElement.h"
#include "tests/support/TestFiles.h"
#include "ui/LanguageDialog.h"

#include <QComboBox>
#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {

QString programText(const char *context, const char *text)
{
    return QCoreApplication::translate(context, text);
}

// Qt's own text of a standard Cancel button.
QString qtCancel()
{
    return QCoreApplication::translate("QPlatformTheme", "Cancel");
}

bool writeLanguage(const QString &path, const QString &language)
{
    XmlRootElement document;
    document.addChild(QStringLiteral("language"), language);
    return document.writeToFile(path).ok();
}

struct Message
{
    QString source;
    QString translation;
    QStringList forms; // one for a text, one per number for a plural one
    bool finished = false;
};

// The messages of a catalogue by "context|source".
QMap<QString, Message> readCatalogue(const QString &path)
{
    QFile file(path);
    QMap<QString, Message> messages;
    if (!file.open(QIODevice::ReadOnly))
        return messages;
    QXmlStreamReader xml(&file);
    QString context;
    Message message;
    while (xml.readNextStartElement() || !xml.atEnd()) {
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("source")) {
            message.source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            message.finished = xml.attributes().value(QLatin1String("type")).isEmpty();
            message.forms.clear();
            // A plural text has one form per number; any other is the text itself.
            QString text;
            while (!xml.atEnd() && !(xml.readNext() == QXmlStreamReader::EndElement && xml.name() == QLatin1String("translation"))) {
                if (xml.isCharacters())
                    text += xml.text();
                else if (xml.isStartElement() && xml.name() == QLatin1String("numerusform"))
                    message.forms.append(xml.readElementText());
            }
            if (message.forms.isEmpty())
                message.forms.append(text);
            message.translation = message.forms.join(QLatin1Char('|'));
            messages.insert(context + QLatin1Char('|') + message.source, message);
        }
    }
    return messages;
}

QStringList placeholders(const QString &text)
{
    QStringList found;
    for (const QRegularExpressionMatch &match : QRegularExpression(QStringLiteral("%(\\d+|p|n)")).globalMatch(text))
        found.append(match.captured());
    found.sort();
    return found;
}

} // namespace

class TestLanguage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void startupChoice();
    void switchingIsRemembered();
    void cataloguesAreComplete();
    void cataloguesCoverTheCode();

private:
    QTemporaryDir m_dir;
    QString m_conf = m_dir.filePath(QStringLiteral("lang.conf"));
};

void TestLanguage::initTestCase()
{
    QCOMPARE(TranslatorManager::systemLanguage(), QStringLiteral("German"));
    QVERIFY(openLog(m_dir.filePath(QStringLiteral("log.txt"))) == 0);
}

void TestLanguage::startupChoice()
{
    const QString log = m_dir.filePath(QStringLiteral("log.txt"));
    const QString told = QStringLiteral("No translation for the locale's language 'German': English");
    {
        // Nothing saved, and no catalogue for the system's language: English from its
        // catalogue (plurals read right), told as a fact, not as a fault.
        TranslatorManager manager;
        QCOMPARE(TranslatorManager::instance(), &manager);
        QCOMPARE(manager.languages().keys(), (QStringList{QStringLiteral("English"), QStringLiteral("French"),
                                                         QStringLiteral("Italian"), QStringLiteral("Spanish")}));
        manager.setConfFile(m_conf);
        QVERIFY(manager.init());
        QCOMPARE(manager.currentLanguage(), QStringLiteral("English"));
        QCOMPARE(QString::fromUtf8(readAll(log)).count(told), 1);
        QVERIFY(!QString::fromUtf8(readAll(log)).contains(QStringLiteral("[WARN]")));
        QCOMPARE(programText("MainPage", "You're logged in as"), QStringLiteral("You're logged in as"));
        QCOMPARE(QCoreApplication::translate("MainWindow", "Brindlecast - %n recordings ongoing", nullptr, 1),
                 QStringLiteral("Brindlecast - 1 recording ongoing"));
    }
    QVERIFY(!TranslatorManager::instance());
    {
        // Italian: the program's texts, and Qt's own stay in English without an error.
        QVERIFY(writeLanguage(m_conf, QStringLiteral("Italian")));
        TranslatorManager manager;
        manager.setConfFile(m_conf);
        QVERIFY(manager.init());
        QCOMPARE(manager.currentLanguage(), QStringLiteral("Italian"));
        QVERIFY(programText("MainPage", "You're logged in as") != QStringLiteral("You're logged in as"));
        QCOMPARE(qtCancel(), QStringLiteral("Cancel"));
        // French brings Qt's texts along.
        QVERIFY(manager.load(QStringLiteral("French")));
        QCOMPARE(qtCancel(), QStringLiteral("Annuler"));
        // An unknown language changes nothing.
        QVERIFY(!manager.load(QStringLiteral("Klingon")));
        QCOMPARE(manager.currentLanguage(), QStringLiteral("French"));
    }
    {
        // A language the program does not have: the system's is tried instead.
        QVERIFY(writeLanguage(m_conf, QStringLiteral("Klingon")));
        TranslatorManager manager;
        manager.setConfFile(m_conf);
        QVERIFY(manager.init());
        QCOMPARE(manager.currentLanguage(), QStringLiteral("English"));
        QCOMPARE(QString::fromUtf8(readAll(log)).count(told), 2);
    }
    QFile::remove(m_conf);
}

void TestLanguage::switchingIsRemembered()
{
    TranslatorManager manager;
    manager.setConfFile(m_conf);
    QSignalSpy changed(&manager, &TranslatorManager::langChanged);
    {
        // The language in force: rejected, nothing written.
        LanguageDialog dialog;
        QCOMPARE(dialog.languageBox()->currentData().toString(), QStringLiteral("English"));
        QCOMPARE(dialog.languageBox()->itemText(1), QStringLiteral("Français"));
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!QFile::exists(m_conf));
        QCOMPARE(changed.size(), 0);
    }
    {
        LanguageDialog dialog;
        dialog.languageBox()->setCurrentIndex(dialog.languageBox()->findData(QStringLiteral("Spanish")));
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(currentLanguage(), QStringLiteral("Spanish"));
        QCOMPARE(qtCancel(), QStringLiteral("Cancelar"));
    }
    XmlRootElement saved;
    QVERIFY(saved.readFromFile(m_conf).ok());
    QCOMPARE(saved.childString(QStringLiteral("language")), QStringLiteral("Spanish"));
    // The next start finds it.
    TranslatorManager::instance()->load(QStringLiteral("English"));
    QVERIFY(manager.init());
    QCOMPARE(manager.currentLanguage(), QStringLiteral("Spanish"));
    QFile::remove(m_conf);
}

void TestLanguage::cataloguesAreComplete()
{
    const QDir dir(QStringLiteral(BC_TRANSLATIONS_DIR));
    const QMap<QString, Message> english = readCatalogue(dir.filePath(QStringLiteral("English.ts")));
    QVERIFY(english.size() > 200);
    for (const QString &language : {QStringLiteral("English"), QStringLiteral("French"), QStringLiteral("Italian"),
                                    QStringLiteral("Spanish")}) {
        const QMap<QString, Message> catalogue = readCatalogue(dir.filePath(language + QStringLiteral(".ts")));
        QCOMPARE(catalogue.keys(), english.keys());
        for (auto message = catalogue.cbegin(); message != catalogue.cend(); ++message) {
            const QString where = language + QStringLiteral(": ") + message.key();
            QVERIFY2(message->finished && !message->translation.isEmpty(), qPrintable(where));
            for (const QString &form : message->forms) {
                QVERIFY2(!form.trimmed().isEmpty(), qPrintable(where));
                QVERIFY2(placeholders(form) == placeholders(message->source), qPrintable(where));
            }
        }
    }
}

void TestLanguage::cataloguesCoverTheCode()
{
    // lupdate over the code into a copy: any text it adds is missing from the catalogues.
    const QString copy = m_dir.filePath(QStringLiteral("French.ts"));
    QVERIFY(QFile::copy(QStringLiteral(BC_TRANSLATIONS_DIR "/French.ts"), copy));
    QProcess lupdate;
    lupdate.setWorkingDirectory(QStringLiteral(BC_SOURCE_DIR));
    lupdate.start(QStringLiteral(BC_LUPDATE),
                  {QStringLiteral("-silent"), QStringLiteral("-locations"), QStringLiteral("none"), QStringLiteral("-extensions"),
                   QStringLiteral("cpp,h"), QStringLiteral("app"), QStringLiteral("capture"), QStringLiteral("detection"),
                   QStringLiteral("library"), QStringLiteral("media"), QStringLiteral("net"), QStringLiteral("platform"),
                   QStringLiteral("recorder"), QStringLiteral("shell"), QStringLiteral("ui"), QStringLiteral("-ts"), copy});
    QVERIFY(lupdate.waitForFinished(120000));
    QCOMPARE(lupdate.exitCode(), 0);
    QStringList missing;
    const QMap<QString, Message> updated = readCatalogue(copy);
    const QMap<QString, Message> kept = readCatalogue(QStringLiteral(BC_TRANSLATIONS_DIR "/French.ts"));
    for (auto message = updated.cbegin(); message != updated.cend(); ++message) {
        if (!kept.contains(message.key()))
            missing.append(message.key());
    }
    QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("Not in the catalogues (run scripts/update-translations): ")
                                           + missing.join(QStringLiteral("; "))));
}

QTEST_MAIN(TestLanguage)
#include "tst_language.moc"
