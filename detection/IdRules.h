#pragma once

#include "platform/DesktopWindows.h"
#include "platform/WineWindows.h"

#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>

class Detection;
using ConstDetectionSptr = std::shared_ptr<const Detection>;

// What the table notifier should do with a new top-level window.
enum IdResult {
    IdUnknown = 0, // not decided yet: ask again when the window changes
    IdTable = 1,
    IdRejected = 2, // not a table: forget it
};

// What the rules read of a window: its title, trimmed class and style.
class WindowFactsSource
{
public:
    virtual ~WindowFactsSource() = default;
    virtual QString title(WindowId window) const = 0;
    virtual QString className(WindowId window) const = 0;
    virtual quint32 style(WindowId window) const = 0;
};
using WindowFactsSourceSptr = std::shared_ptr<const WindowFactsSource>;

// The desktop's own answers. A window of this process reads "Brindlecast!" without
// asking X: its title is ours, and asking our own windows could wait on ourselves.
// The class and style of a Wine program's window are Windows' own when the Wine facts
// hold them; otherwise they come from X11: the WM_CLASS class, and a style synthesised
// from what the window manager says (see DesktopWindows.h), which the rules comparing
// a Windows class or an exact style never match.
class DesktopFactsSource : public WindowFactsSource
{
public:
    explicit DesktopFactsSource(std::shared_ptr<const WineWindowFacts> wine = nullptr)
        : m_wine(std::move(wine))
    {
    }
    QString title(WindowId window) const override;
    QString className(WindowId window) const override;
    quint32 style(WindowId window) const override;

private:
    std::shared_ptr<const WineWindowFacts> m_wine;
};

// Decides whether one window of a poker program is a table.
class IdRule
{
public:
    explicit IdRule(WindowFactsSourceSptr facts)
        : m_facts(std::move(facts))
    {
    }
    virtual ~IdRule() = default;
    virtual IdResult identify(WindowId window, const ConstDetectionSptr &detection) const = 0;
    // The rule compares a window's Windows class or style, which X11 does not give.
    virtual bool readsWindowsFacts() const { return false; }

protected:
    const WindowFactsSource &facts() const { return *m_facts; }

private:
    WindowFactsSourceSptr m_facts;
};
using IdRuleSptr = std::shared_ptr<const IdRule>;

// Titles holding a rejecting word are not tables, whatever else they say; then titles
// holding a table word are. Case is ignored.
class UniversalRule : public IdRule
{
public:
    explicit UniversalRule(WindowFactsSourceSptr facts);
    IdResult identify(WindowId window, const ConstDetectionSptr &detection) const override;

private:
    QStringList m_rejectingWords;
    QStringList m_tableWords;
};

// A table when the pattern is found in the title; never rejects.
class AcceptRule : public IdRule
{
public:
    AcceptRule(WindowFactsSourceSptr facts, const QString &pattern);
    IdResult identify(WindowId window, const ConstDetectionSptr &detection) const override;

private:
    QRegularExpression m_pattern;
};

// Rejected when the pattern is found in the title; otherwise the general rule decides.
class RejectRule : public IdRule
{
public:
    RejectRule(WindowFactsSourceSptr facts, const QString &pattern);
    IdResult identify(WindowId window, const ConstDetectionSptr &detection) const override;

private:
    QRegularExpression m_pattern;
    UniversalRule m_universal;
};

class PkrRule : public IdRule
{
public:
    using IdRule::IdRule;
    IdResult identify(WindowId window, const ConstDetectionSptr &detection) const override;
};

class BodogRule : public IdRule
{
public:
    using IdRule::IdRule;
    IdResult identify(WindowId window, const ConstDetectionSptr &detection) const override;
    bool readsWindowsFacts() const override { return true; }
};

class CakeRule : public IdRule
{
public:
    explicit CakeRule(WindowFactsSourceSptr facts);
    IdResult identify(WindowId window, const ConstDetectionSptr &detection) const override;
    bool readsWindowsFacts() const override { return true; }

private:
    UniversalRule m_universal;
};

class CasinoExeRule : public IdRule
{
public:
    explicit CasinoExeRule(WindowFactsSourceSptr facts);
    IdResult identify(WindowId window, const ConstDetectionSptr &detection) const override;
    bool readsWindowsFacts() const override { return true; }

private:
    UniversalRule m_universal;
};

// Decided by the window's class: the tables' frame class goes through the reject
// rule, dialogs through the general rule; other classes stay undecided.
class PokerExeRule : public IdRule
{
public:
    explicit PokerExeRule(WindowFactsSourceSptr facts);
    IdResult identify(WindowId window, const ConstDetectionSptr &detection) const override;
    bool readsWindowsFacts() const override { return true; }

private:
    AcceptRule m_accept;
    RejectRule m_reject;
    UniversalRule m_universal;
};

// The rule of each program that needs one of its own (by exact file name), and the
// general rule for every other.
class IdRuleSet
{
public:
    explicit IdRuleSet(WindowFactsSourceSptr facts = std::make_shared<DesktopFactsSource>());
    IdResult identify(WindowId window, const ConstDetectionSptr &detection) const;
    bool readsWindowsFacts(const ConstDetectionSptr &detection) const;
    // The file names of the programs whose rules read Windows facts.
    QStringList programsReadingWindowsFacts() const;

private:
    UniversalRule m_default;
    QMap<QString, IdRuleSptr> m_rules;
};
