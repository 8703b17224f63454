#include "library/XmlElement.h"

#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>
#include <QXmlStreamReader>

namespace {

constexpr int kIndent = 2;
const QString kValueAttribute = QStringLiteral("value");

// Builds document from bytes in one linear pass, refusing nesting deeper than the
// limit. On an error (malformed, truncated, too deep) what was complete before it
// stays: the elements still open there are left out, so a damaged list keeps every
// whole entry. The error text, empty when the document is whole.
QString parseBounded(const QByteArray &bytes, QDomDocument &document)
{
    QXmlStreamReader reader(bytes);
    QList<QDomElement> open;
    QString error;
    while (!reader.atEnd() && error.isEmpty()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement: {
            if (open.size() >= XmlRootElement::kMaxDepth) {
                error = QStringLiteral("XML nested deeper than %1 levels").arg(XmlRootElement::kMaxDepth);
                break;
            }
            if (open.isEmpty() && !document.documentElement().isNull()) {
                error = QStringLiteral("XML has more than one root");
                break;
            }
            QDomElement element = document.createElement(reader.name().toString());
            for (const QXmlStreamAttribute &attribute : reader.attributes())
                element.setAttribute(attribute.qualifiedName().toString(), attribute.value().toString());
            if (open.isEmpty())
                document.appendChild(element);
            else
                open.last().appendChild(element);
            open.append(element);
            break;
        }
        case QXmlStreamReader::EndElement:
            open.removeLast();
            break;
        case QXmlStreamReader::Characters:
            if (!open.isEmpty() && !reader.isWhitespace())
                open.last().appendChild(document.createTextNode(reader.text().toString()));
            break;
        default:
            break;
        }
    }
    if (error.isEmpty() && reader.hasError())
        error = QStringLiteral("XML malformed at line %1: %2").arg(reader.lineNumber()).arg(reader.errorString());
    if (error.isEmpty() && document.documentElement().isNull())
        error = QStringLiteral("XML malformed: no element");
    if (!error.isEmpty() && open.size() >= 2)
        open.first().removeChild(open.at(1)); // the entry being read when the error came
    return error;
}

QString dateTimeText(const QDateTime &v)
{
    return v.toString(QLatin1String(XmlElement::kDateTimeFormat));
}

} // namespace

XmlElement::XmlElement(QDomDocument *document, const QString &tagName, const QString &valueText)
    : m_document(document)
    , m_element(document->createElement(tagName))
{
    if (!valueText.isEmpty())
        m_element.setAttribute(kValueAttribute, valueText);
}

XmlElement::XmlElement(QDomDocument *document, const QDomElement &element)
    : m_document(document)
    , m_element(element)
{
}

QString XmlElement::value() const
{
    return m_element.attribute(kValueAttribute);
}

bool XmlElement::isEmpty() const
{
    return !m_element.hasChildNodes() && !m_element.hasAttributes();
}

XmlElement XmlElement::addChild(const QString &tagName, const QString &v)
{
    XmlElement child(m_document, tagName, v);
    m_element.appendChild(child.m_element);
    return child;
}

XmlElement XmlElement::addChild(const QString &tagName, int v)
{
    return addChild(tagName, QString::number(v, 10));
}

XmlElement XmlElement::addChild(const QString &tagName, qint64 v)
{
    return addChild(tagName, QString::number(v, 10));
}

XmlElement XmlElement::addChild(const QString &tagName, const QDateTime &v)
{
    return addChild(tagName, dateTimeText(v));
}

XmlElement XmlElement::addChild(const QString &tagName, const QByteArray &v)
{
    return addChild(tagName, QString::fromLatin1(v.toHex()));
}

XmlElement XmlElement::addChild(const QString &tagName, bool v)
{
    return addChild(tagName, v ? QStringLiteral("true") : QStringLiteral("false"));
}

QList<XmlElement> XmlElement::children(const QString &tagName) const
{
    QList<XmlElement> result;
    for (QDomNode node = m_element.firstChild(); !node.isNull(); node = node.nextSibling()) {
        if (!node.isElement())
            continue;
        QDomElement element = node.toElement();
        if (element.tagName() == tagName)
            result.append(XmlElement(m_document, element));
    }
    return result;
}

QString XmlElement::childString(const QString &tagName) const
{
    return m_element.firstChildElement(tagName).attribute(kValueAttribute);
}

int XmlElement::childInt(const QString &tagName, int defaultValue) const
{
    bool ok = false;
    const int v = childString(tagName).toInt(&ok, 10);
    return ok ? v : defaultValue;
}

qint64 XmlElement::childInt64(const QString &tagName, bool *ok) const
{
    return childString(tagName).toLongLong(ok, 10);
}

QDateTime XmlElement::childDateTime(const QString &tagName) const
{
    return QDateTime::fromString(childString(tagName), QLatin1String(kDateTimeFormat));
}

QByteArray XmlElement::childBytes(const QString &tagName) const
{
    return QByteArray::fromHex(childString(tagName).toLatin1());
}

bool XmlElement::childBool(const QString &tagName, bool defaultValue) const
{
    const QString text = childString(tagName);
    if (text == QLatin1String("true"))
        return true;
    if (text == QLatin1String("false"))
        return false;
    return defaultValue;
}

XmlRootElement::XmlRootElement()
    : m_ownedDocument(std::make_unique<QDomDocument>())
{
    m_document = m_ownedDocument.get();
    m_element = m_document->createElement(QLatin1String(kRootTag));
    m_document->appendChild(m_element);
}

XmlRootElement::~XmlRootElement() = default;

bc_ret XmlRootElement::read(QIODevice *device, ReadMode mode)
{
    if (!device->open(QIODevice::ReadOnly))
        return bc_ret(QStringLiteral("XmlRootElement::read"), -1, QStringLiteral("Error opening device"));
    // One byte more than allowed tells a file that is too large.
    const QByteArray bytes = device->read(kMaxBytes + 1);
    device->close();
    m_document->clear();
    const QString error = bytes.size() > kMaxBytes ? QStringLiteral("XML file larger than %1 bytes").arg(kMaxBytes)
                                                   : parseBounded(bytes, *m_document);
    // Any root is accepted; a document that failed leaves a null root, unless what was
    // complete in it is asked for.
    if (!error.isEmpty() && mode == ReadMode::Whole)
        m_document->clear();
    m_element = m_document->documentElement();
    if (!error.isEmpty())
        return bc_ret(QStringLiteral("XmlRootElement::read"), -1, error);
    return bc_ret();
}

bc_ret XmlRootElement::readFromFile(const QString &path, ReadMode mode)
{
    const QFileInfo info(path);
    bc_ret ret;
    // Opening a FIFO or a device would block, or read for ever.
    if (info.exists() && !info.isFile()) {
        m_document->clear();
        m_element = QDomElement();
        ret = bc_ret(QStringLiteral("XmlRootElement::readFromFile"), -1, QStringLiteral("Not a regular file"));
    } else {
        QFile file(path);
        ret = read(&file, mode);
    }
    if (ret.failed())
        ret.add(QStringLiteral("Error reading XML from file '%1'").arg(path, 0, QLatin1Char(' ')));
    return ret;
}

QByteArray XmlRootElement::toBytes() const
{
    QByteArray bytes;
    QTextStream stream(&bytes, QIODevice::WriteOnly);
    stream.setEncoding(QStringConverter::Utf8);
    m_document->save(stream, kIndent);
    stream.flush();
    return bytes;
}

bc_ret XmlRootElement::writeToFile(const QString &path) const
{
    return writeFile(path, std::nullopt);
}

bc_ret XmlRootElement::writeToFile(const QString &path, QFileDevice::Permissions permissions) const
{
    return writeFile(path, permissions);
}

bc_ret XmlRootElement::writeFile(const QString &path, std::optional<QFileDevice::Permissions> permissions) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return bc_ret(QString(), 0, QStringLiteral("Error opening file '%1'").arg(path, 0, QLatin1Char(' ')));
    // Set on the new file before anything is written to it.
    if (permissions && !file.setPermissions(*permissions)) {
        file.cancelWriting();
        return bc_ret(QStringLiteral("QSaveFile::setPermissions"), qint64(file.error()), file.errorString())
                .add(QStringLiteral("Error writing file '%1'").arg(path, 0, QLatin1Char(' ')));
    }
    const QString writeError = QStringLiteral("Error writing file '%1'").arg(path, 0, QLatin1Char(' '));
    // A short write (disk full, size limit) reports no error by itself: keep writing
    // until all is written or the system gives its reason, and never commit a partial file.
    const QByteArray bytes = toBytes();
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0)
            break;
        written += n;
    }
    // Small writes only fill the file's buffer: a full disk shows when it is flushed.
    if (written < bytes.size() || !file.flush()) {
        const bc_ret ret = bc_ret(QStringLiteral("QSaveFile::write"), qint64(file.error()), file.errorString()).add(writeError);
        file.cancelWriting();
        return ret;
    }
    // The old file is replaced only here, once the new one is complete.
    if (!file.commit())
        return bc_ret(QStringLiteral("QSaveFile::commit"), qint64(file.error()), file.errorString()).add(writeError);
    return bc_ret();
}
