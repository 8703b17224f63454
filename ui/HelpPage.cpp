#include "ui/HelpPage.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>

namespace {

QByteArray readPage(const QString &language)
{
    QFile page(QStringLiteral(":/html/help_%1.html").arg(language));
    if (language.isEmpty() || !page.open(QIODevice::ReadOnly)) {
        page.setFileName(QStringLiteral(":/html/help.html"));
        if (!page.open(QIODevice::ReadOnly))
            return QByteArray();
    }
    return page.readAll();
}

bool holds(const QString &condition, const HelpFacts &facts)
{
    if (condition == QLatin1String("tray"))
        return facts.tray;
    if (condition == QLatin1String("notray"))
        return !facts.tray;
    if (condition == QLatin1String("autostart"))
        return facts.autostart;
    if (condition == QLatin1String("noautostart"))
        return !facts.autostart;
    return false;
}

} // namespace

QString helpPageHtml(const QString &language, const HelpFacts &facts)
{
    const QString page = QString::fromUtf8(readPage(language));
    static const QRegularExpression marked(QStringLiteral("<p data-when=\"(\\w+)\">(.*?)</p>\\s*"),
                                           QRegularExpression::DotMatchesEverythingOption);
    QString out;
    qsizetype from = 0;
    for (const QRegularExpressionMatch &m : marked.globalMatch(page)) {
        out += page.mid(from, m.capturedStart() - from);
        if (holds(m.captured(1), facts))
            out += QStringLiteral("<p>%1</p>\n").arg(m.captured(2));
        from = m.capturedEnd();
    }
    out += page.mid(from);
    return out;
}

bc_ret writeHelpPage(const QString &path, const QString &language, const HelpFacts &facts)
{
    QSaveFile file(path);
    const QByteArray page = helpPageHtml(language, facts).toUtf8();
    if (page.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(page) != page.size() || !file.commit())
        return bc_ret(QStringLiteral("writeHelpPage"), -1,
                      QStringLiteral("'%1' not written: %2").arg(path, file.errorString()));
    return bc_ret();
}
