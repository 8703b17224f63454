#include "library/TranslatorManager.h"

#include "app/Log.h"
#include "library/XmlElement.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocale>

TranslatorManager *TranslatorManager::s_instance = nullptr;

TranslatorManager::TranslatorManager(QObject *parent)
    : QObject(parent)
{
    m_languages.insert(QStringLiteral("English"), QStringLiteral("English"));
    m_languages.insert(QStringLiteral("French"), QStringLiteral("Français"));
    m_languages.insert(QStringLiteral("Italian"), QStringLiteral("Italiano"));
    m_languages.insert(QStringLiteral("Spanish"), QStringLiteral("Español"));
    QCoreApplication::installTranslator(&m_appTranslator);
    QCoreApplication::installTranslator(&m_qtTranslator);
    s_instance = this;
}

TranslatorManager::~TranslatorManager()
{
    QCoreApplication::removeTranslator(&m_qtTranslator);
    QCoreApplication::removeTranslator(&m_appTranslator);
    if (s_instance == this)
        s_instance = nullptr;
}

TranslatorManager *TranslatorManager::instance()
{
    return s_instance;
}

QString TranslatorManager::systemLanguage()
{
    return QLocale::languageToString(QLocale::system().language());
}

QLocale TranslatorManager::localeOf(const QString &englishName)
{
    if (englishName == QLatin1String("French"))
        return QLocale(QLocale::French, QLocale::France);
    if (englishName == QLatin1String("Italian"))
        return QLocale(QLocale::Italian, QLocale::Italy);
    if (englishName == QLatin1String("Spanish"))
        return QLocale(QLocale::Spanish, QLocale::Spain);
    return QLocale(QLocale::English, QLocale::UnitedKingdom);
}

bool TranslatorManager::load(const QString &englishName)
{
    if (!m_languages.contains(englishName))
        return false;
    // A load discards what the translator held: a catalogue that is not there must
    // not leave the interface without its language.
    const QString catalogue = QStringLiteral(":/%1.qm").arg(englishName);
    if (!QFile::exists(catalogue) || !m_appTranslator.load(catalogue))
        return false;
    // There is no catalogue of Qt's texts for every language: those then stay in English.
    (void)m_qtTranslator.load(QStringLiteral(":/qt_%1.qm").arg(englishName));
    m_current = englishName;
    return true;
}

bool TranslatorManager::init()
{
    XmlRootElement document;
    const QString saved = document.readFromFile(m_confFile).ok() ? document.childString(QStringLiteral("language")) : QString();
    if (!saved.isEmpty() && load(saved))
        return true;
    const QString system = systemLanguage();
    if (load(system))
        return true;
    // Not a fault: English then, from its catalogue, which holds its plural forms.
    logInfo(QStringLiteral("No translation for the locale's language '%1': English").arg(system));
    return load(QStringLiteral("English"));
}

bool TranslatorManager::setLanguage(const QString &englishName)
{
    if (englishName == m_current || !load(englishName))
        return false;
    XmlRootElement document;
    document.addChild(QStringLiteral("language"), m_current);
    // The new language stays in force even when it cannot be remembered.
    if (const bc_ret written = document.writeToFile(m_confFile); written.failed())
        logWarn(QStringLiteral("Language not saved: %1").arg(written.details(QStringLiteral(": "))));
    emit langChanged();
    return true;
}

bool setLanguage(const QString &englishName)
{
    return TranslatorManager::instance() && TranslatorManager::instance()->setLanguage(englishName);
}

QString currentLanguage()
{
    return TranslatorManager::instance() ? TranslatorManager::instance()->currentLanguage() : QStringLiteral("English");
}
