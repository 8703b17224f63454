#include "detection/IdRules.h"

#include "detection/Detection.h"

namespace {

QRegularExpression pattern(const QString &text)
{
    // Case-sensitive, as the titles are written.
    return QRegularExpression(text);
}

} // namespace

QString DesktopFactsSource::title(WindowId window) const
{
    if (desktop::isOwnWindow(window))
        return QStringLiteral("Brindlecast!");
    return desktop::windowTitle(window);
}

QString DesktopFactsSource::className(WindowId window) const
{
    if (m_wine) {
        if (const std::optional<WineWindow> facts = m_wine->find(window))
            return facts->className.trimmed();
    }
    return desktop::windowClass(window).trimmed();
}

quint32 DesktopFactsSource::style(WindowId window) const
{
    if (m_wine) {
        if (const std::optional<WineWindow> facts = m_wine->find(window))
            return facts->style;
    }
    return desktop::windowStyle(window);
}

UniversalRule::UniversalRule(WindowFactsSourceSptr facts)
    : IdRule(std::move(facts))
    , m_rejectingWords{QStringLiteral("Lobby")}
    , m_tableWords{QStringLiteral("Hold'em"), QStringLiteral("Holdem"), QStringLiteral("Omaha"), QStringLiteral("Stud"),
                   QStringLiteral("NLH"),     QStringLiteral("FLH"),    QStringLiteral("FLO"),   QStringLiteral("PLO"),
                   QStringLiteral("NLO"),     QStringLiteral("7CS"),    QStringLiteral("7CS8"),  QStringLiteral("SNG")}
{
    // Sorted sets: the order in which words are tried.
    m_rejectingWords.sort();
    m_tableWords.sort();
}

IdResult UniversalRule::identify(WindowId window, const ConstDetectionSptr &) const
{
    const QString title = facts().title(window);
    for (const QString &word : m_rejectingWords) {
        if (title.contains(word, Qt::CaseInsensitive))
            return IdRejected;
    }
    for (const QString &word : m_tableWords) {
        if (title.contains(word, Qt::CaseInsensitive))
            return IdTable;
    }
    return IdUnknown;
}

AcceptRule::AcceptRule(WindowFactsSourceSptr facts, const QString &text)
    : IdRule(std::move(facts))
    , m_pattern(pattern(text))
{
}

IdResult AcceptRule::identify(WindowId window, const ConstDetectionSptr &) const
{
    return m_pattern.match(facts().title(window)).hasMatch() ? IdTable : IdUnknown;
}

RejectRule::RejectRule(WindowFactsSourceSptr facts, const QString &text)
    : IdRule(facts)
    , m_pattern(pattern(text))
    , m_universal(facts)
{
}

IdResult RejectRule::identify(WindowId window, const ConstDetectionSptr &detection) const
{
    if (m_pattern.match(facts().title(window)).hasMatch())
        return IdRejected;
    return m_universal.identify(window, detection);
}

IdResult PkrRule::identify(WindowId window, const ConstDetectionSptr &) const
{
    return facts().title(window).trimmed() == QLatin1String("PKR - let's play!") ? IdTable : IdUnknown;
}

IdResult BodogRule::identify(WindowId window, const ConstDetectionSptr &) const
{
    return facts().style(window) == 0x960F0003u ? IdTable : IdUnknown;
}

CakeRule::CakeRule(WindowFactsSourceSptr facts)
    : IdRule(facts)
    , m_universal(facts)
{
}

IdResult CakeRule::identify(WindowId window, const ConstDetectionSptr &detection) const
{
    return facts().style(window) == 0x160F0000u ? m_universal.identify(window, detection) : IdUnknown;
}

CasinoExeRule::CasinoExeRule(WindowFactsSourceSptr facts)
    : IdRule(facts)
    , m_universal(facts)
{
}

IdResult CasinoExeRule::identify(WindowId window, const ConstDetectionSptr &detection) const
{
    const IdResult general = m_universal.identify(window, detection);
    if (general != IdUnknown)
        return general;
    return facts().style(window) == 0x16040000u ? IdTable : IdUnknown;
}

PokerExeRule::PokerExeRule(WindowFactsSourceSptr facts)
    : IdRule(facts)
    , m_accept(facts, QStringLiteral(":\\s*[0-9]{8}\\b"))
    , m_reject(facts, QStringLiteral("\\(#[0-9]{7}\\)"))
    , m_universal(facts)
{
}

IdResult PokerExeRule::identify(WindowId window, const ConstDetectionSptr &detection) const
{
    const QString className = facts().className(window);
    if (className == QLatin1String("Afx:00400000:0"))
        return m_reject.identify(window, detection);
    if (className == QLatin1String("#32770"))
        return m_universal.identify(window, detection);
    // A window without a class is gone before it could be asked; the title pattern of
    // the accept rule is the only thing left to go by.
    if (className.isEmpty())
        return m_accept.identify(window, detection);
    return IdUnknown;
}

IdRuleSet::IdRuleSet(WindowFactsSourceSptr facts)
    : m_default(facts)
{
    m_rules.insert(QStringLiteral("PokerClient.exe"), std::make_shared<CakeRule>(facts));
    m_rules.insert(QStringLiteral("BPGame.exe"), std::make_shared<BodogRule>(facts));
    m_rules.insert(QStringLiteral("poker.exe"), std::make_shared<PokerExeRule>(facts));
    m_rules.insert(QStringLiteral("mainclient.exe"), std::make_shared<RejectRule>(facts, QStringLiteral("#[0-9]{7}")));
    m_rules.insert(QStringLiteral("client.exe"), std::make_shared<AcceptRule>(facts, QStringLiteral("\\([0-9]{8}\\)")));
    m_rules.insert(QStringLiteral("pokerapp.exe"), std::make_shared<PkrRule>(facts));
    m_rules.insert(QStringLiteral("casino.exe"), std::make_shared<CasinoExeRule>(facts));
}

IdResult IdRuleSet::identify(WindowId window, const ConstDetectionSptr &detection) const
{
    const QString exeName = detection ? detection->exeName() : QString();
    if (const IdRuleSptr rule = m_rules.value(exeName))
        return rule->identify(window, detection);
    return m_default.identify(window, detection);
}

bool IdRuleSet::readsWindowsFacts(const ConstDetectionSptr &detection) const
{
    const IdRuleSptr rule = detection ? m_rules.value(detection->exeName()) : nullptr;
    return rule && rule->readsWindowsFacts();
}

QStringList IdRuleSet::programsReadingWindowsFacts() const
{
    QStringList programs;
    for (auto it = m_rules.cbegin(); it != m_rules.cend(); ++it) {
        if (it.value()->readsWindowsFacts())
            programs.append(it.key());
    }
    return programs;
}
