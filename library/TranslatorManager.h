#pragma once

#include <QLocale>
#include <QMap>
#include <QObject>
#include <QString>
#include <QTranslator>

// The language of the interface: two translators (the program's texts and Qt's own),
// the choice at start-up (the saved one, else the system's), switching on request
// with the choice saved, and a signal that tells every window to translate itself
// again. One instance, reachable through instance() while it lives.
class TranslatorManager : public QObject
{
    Q_OBJECT
public:
    explicit TranslatorManager(QObject *parent = nullptr);
    ~TranslatorManager() override;
    static TranslatorManager *instance();

    // Where the choice is kept: lang.conf of the program, later the user's own file.
    void setConfFile(const QString &path) { m_confFile = path; }
    // The saved language, else the system's, else English; false when none could be loaded.
    bool init();
    // Loads the catalogues of a language (by its English name) and makes it current.
    bool load(const QString &englishName);
    // Switches, saves the choice and emits langChanged(); false when nothing changed.
    bool setLanguage(const QString &englishName);
    QString currentLanguage() const { return m_current; }
    // English name to the language's own name, in key order.
    const QMap<QString, QString> &languages() const { return m_languages; }
    // The system locale's language, by its English name ("French").
    static QString systemLanguage();
    // How a language of the program writes numbers, times and dates.
    static QLocale localeOf(const QString &englishName);

signals:
    void langChanged();

private:
    QTranslator m_appTranslator;
    QTranslator m_qtTranslator;
    QMap<QString, QString> m_languages;
    QString m_current = QStringLiteral("English");
    QString m_confFile;
    static TranslatorManager *s_instance;
};

bool setLanguage(const QString &englishName);
QString currentLanguage();
// Connects the language change to a window's retranslate slot (nothing without a manager).
template <typename Receiver, typename Slot>
void connectLangChanged(Receiver *receiver, Slot slot)
{
    if (TranslatorManager *manager = TranslatorManager::instance())
        QObject::connect(manager, &TranslatorManager::langChanged, receiver, slot);
}
