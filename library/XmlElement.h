#pragma once

#include "app/bc_ret.h"

#include <QByteArray>
#include <QDateTime>
#include <QDomElement>
#include <QFileDevice>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

class QDomDocument;
class QIODevice;

// One element of a settings or list file. A field is a child element whose text
// lives in the attribute "value"; a record is a child element with children of
// its own; a list repeats one tag. Elements refer to their root's document and
// must not outlive it.
class XmlElement
{
public:
    static constexpr char kDateTimeFormat[] = "yyyy/MM/dd - hh:mm AP";

    XmlElement() = default;
    // A new, unattached element; the "value" attribute is set only for a non-empty text.
    XmlElement(QDomDocument *document, const QString &tagName, const QString &valueText);

    QString value() const;
    // No child nodes and no attributes: list readers skip such entries.
    bool isEmpty() const;
    bool isNull() const { return m_element.isNull(); }
    QString tagName() const { return m_element.tagName(); }

    XmlElement addChild(const QString &tagName, const QString &v);
    XmlElement addChild(const QString &tagName, const char *v) { return addChild(tagName, QString::fromUtf8(v)); }
    XmlElement addChild(const QString &tagName, int v);
    XmlElement addChild(const QString &tagName, qint64 v);
    XmlElement addChild(const QString &tagName, const QDateTime &v);
    XmlElement addChild(const QString &tagName, const QByteArray &v);
    XmlElement addChild(const QString &tagName, bool v);

    // Direct element children with exactly this tag, in document order.
    QList<XmlElement> children(const QString &tagName) const;

    QString childString(const QString &tagName) const;
    int childInt(const QString &tagName, int defaultValue) const;
    qint64 childInt64(const QString &tagName, bool *ok = nullptr) const;
    QDateTime childDateTime(const QString &tagName) const;
    QByteArray childBytes(const QString &tagName) const;
    bool childBool(const QString &tagName, bool defaultValue) const;

protected:
    XmlElement(QDomDocument *document, const QDomElement &element);

    QDomDocument *m_document = nullptr;
    QDomElement m_element;
};

// A whole file: owns the document, whose single root element is "Brindlecast".
class XmlRootElement : public XmlElement
{
public:
    static constexpr char kRootTag[] = "Brindlecast";
    // Our files are a few levels deep and far below a megabyte: anything beyond these
    // is damaged or hostile, and is refused at once instead of parsed at length.
    static constexpr int kMaxDepth = 256;
    static constexpr qint64 kMaxBytes = 4 * 1024 * 1024;

    // Whole: a file with an error reads as nothing. KeepComplete: the elements that
    // were complete before the error stay readable (the error is still returned).
    enum class ReadMode { Whole, KeepComplete };

    XmlRootElement();
    virtual ~XmlRootElement();
    XmlRootElement(const XmlRootElement &) = delete;
    XmlRootElement &operator=(const XmlRootElement &) = delete;

    bc_ret read(QIODevice *device, ReadMode mode = ReadMode::Whole);
    bc_ret readFromFile(const QString &path, ReadMode mode = ReadMode::Whole);
    // Replaces the file atomically: the old file stays whole until the new one is complete.
    bc_ret writeToFile(const QString &path) const;
    // The same, the file getting exactly these permissions before it takes the old one's place.
    bc_ret writeToFile(const QString &path, QFileDevice::Permissions permissions) const;

    // The document as written to a file.
    QByteArray toBytes() const;

private:
    bc_ret writeFile(const QString &path, std::optional<QFileDevice::Permissions> permissions) const;

    std::unique_ptr<QDomDocument> m_ownedDocument;
};
