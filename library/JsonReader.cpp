#include "library/JsonReader.h"

#include <QVariantList>
#include <QVariantMap>

namespace {

enum Token {
    None = 0,
    ObjectOpen = 1,
    ObjectClose = 2,
    ArrayOpen = 3,
    ArrayClose = 4,
    Colon = 5,
    Comma = 6,
    String = 7,
    Number = 8,
    True = 9,
    False = 10,
    Null = 11,
};

class JsonReader
{
public:
    explicit JsonReader(const QString &text)
        : m_text(text)
    {
    }

    QVariant value()
    {
        if (++m_depth > kJsonMaxDepth) {
            m_success = false;
            return QVariant();
        }
        QVariant result;
        switch (lookAhead()) {
        case ObjectOpen:
            result = object();
            break;
        case ArrayOpen:
            result = array();
            break;
        case String:
            result = string();
            break;
        case Number:
            result = number();
            break;
        case True:
            nextToken();
            result = true;
            break;
        case False:
            nextToken();
            result = false;
            break;
        case Null:
            nextToken();
            break;
        default:
            m_success = false;
            break;
        }
        --m_depth;
        return result;
    }

    bool success() const { return m_success; }

private:
    void skipWhitespace()
    {
        while (m_index < m_text.size()) {
            const QChar c = m_text.at(m_index);
            if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n') && c != QLatin1Char('\r'))
                break;
            ++m_index;
        }
    }

    Token nextToken()
    {
        skipWhitespace();
        if (m_index >= m_text.size())
            return None;
        const QChar c = m_text.at(m_index++);
        switch (c.unicode()) {
        case '"':
            return String;
        case ',':
            return Comma;
        case ':':
            return Colon;
        case '[':
            return ArrayOpen;
        case ']':
            return ArrayClose;
        case '{':
            return ObjectOpen;
        case '}':
            return ObjectClose;
        default:
            if (c == QLatin1Char('-') || (c >= QLatin1Char('0') && c <= QLatin1Char('9')))
                return Number;
            break;
        }
        --m_index;
        const QStringView rest = QStringView(m_text).mid(m_index);
        if (rest.startsWith(QLatin1String("true"))) {
            m_index += 4;
            return True;
        }
        if (rest.startsWith(QLatin1String("false"))) {
            m_index += 5;
            return False;
        }
        if (rest.startsWith(QLatin1String("null"))) {
            m_index += 4;
            return Null;
        }
        return None;
    }

    Token lookAhead()
    {
        const qsizetype saved = m_index;
        const Token token = nextToken();
        m_index = saved;
        return token;
    }

    QVariant object()
    {
        nextToken();
        QVariantMap map;
        for (;;) {
            const Token token = lookAhead();
            if (token == None) {
                m_success = false;
                return QVariantMap();
            }
            if (token == Comma) {
                nextToken();
                continue;
            }
            if (token == ObjectClose) {
                nextToken();
                return map;
            }
            const QVariant key = string();
            if (!m_success)
                return QVariantMap();
            if (nextToken() != Colon) {
                m_success = false;
                return QVariantMap();
            }
            const QVariant item = value();
            if (!m_success)
                return QVariantMap();
            map.insert(key.toString(), item);
        }
    }

    QVariant array()
    {
        nextToken();
        QVariantList list;
        for (;;) {
            const Token token = lookAhead();
            if (token == None) {
                m_success = false;
                return QVariantList();
            }
            if (token == Comma) {
                nextToken();
                continue;
            }
            if (token == ArrayClose) {
                nextToken();
                return list;
            }
            const QVariant item = value();
            if (!m_success)
                return QVariantList();
            list.append(item);
        }
    }

    QVariant string()
    {
        skipWhitespace();
        ++m_index; // the opening quote, whatever stands there
        QString text;
        for (;;) {
            if (m_index >= m_text.size()) {
                m_success = false;
                return QVariant();
            }
            const QChar c = m_text.at(m_index++);
            if (c == QLatin1Char('"'))
                break;
            if (c != QLatin1Char('\\')) {
                text.append(c);
                continue;
            }
            if (m_index >= m_text.size()) {
                m_success = false;
                return QVariant();
            }
            const QChar escaped = m_text.at(m_index++);
            switch (escaped.unicode()) {
            case '"':
                text.append(QLatin1Char('"'));
                break;
            case '\\':
                text.append(QLatin1Char('\\'));
                break;
            case '/':
                text.append(QLatin1Char('/'));
                break;
            case 'b':
                text.append(QChar(8));
                break;
            case 'f':
                text.append(QChar(12));
                break;
            case 'n':
                text.append(QChar(10));
                break;
            case 'r':
                text.append(QChar(13));
                break;
            case 't':
                text.append(QChar(9));
                break;
            case 'u':
                if (m_text.size() - m_index < 4) {
                    m_success = false;
                    return QVariant();
                }
                text.append(QChar(ushort(m_text.mid(m_index, 4).toInt(nullptr, 16))));
                m_index += 4;
                break;
            default:
                // Unknown escapes are dropped, backslash and all.
                break;
            }
        }
        return text;
    }

    QVariant number()
    {
        skipWhitespace();
        const qsizetype start = m_index;
        static const QString kNumberChars = QStringLiteral("0123456789+-.eE");
        while (m_index < m_text.size() && kNumberChars.contains(m_text.at(m_index)))
            ++m_index;
        return m_text.mid(start, m_index - start);
    }

    const QString &m_text;
    qsizetype m_index = 0;
    int m_depth = 0;
    bool m_success = true;
};

} // namespace

QVariant parseJson(const QString &text, bool &success)
{
    success = true;
    if (text.isNull())
        return QVariant();
    JsonReader reader(text);
    const QVariant result = reader.value();
    success = reader.success();
    return result;
}
