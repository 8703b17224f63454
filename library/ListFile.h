#pragma once

#include "app/Log.h"
#include "library/XmlElement.h"

#include <QFileInfo>
#include <QList>
#include <QString>

#include <memory>

// Whole list files (pending, archive, edited): one "item" per entry, in list order.
// Item must offer `void write(XmlElement) const` and
// `static std::shared_ptr<Item> read(const XmlElement &)` (null for an unusable entry).

// A settings or list file that could not be read whole: what became of it.
struct FileDamage
{
    QString file;
    QString keptAs;   // where the damaged file now is; empty when it could not be moved
    QString reason;
    int entriesKept = -1; // entries still listed; -1 for a settings file
};

// Moves a damaged file aside, beside itself ("NAME.damaged-DATE"), so that it is kept and
// never overwritten by what was read of it; notes the damage for the user (see
// takeFileDamages). True when it was moved: only then may the file be written again.
bool setDamagedFileAside(const QString &path, const QString &reason, int entriesKept);

// The damages noted since the last call, for the main window to tell the user once.
QList<FileDamage> takeFileDamages();

// The entries of a list file. A missing file (a first start) is an empty list. A file that
// cannot be read whole (damaged, truncated, an entry unusable) gives every complete entry
// and is set aside; *writable then tells whether it may be written again.
template<class Item>
QList<std::shared_ptr<Item>> loadList(const QString &path, bool *writable = nullptr)
{
    QList<std::shared_ptr<Item>> items;
    if (writable)
        *writable = true;
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return items;
    XmlRootElement root;
    const bc_ret read = root.readFromFile(path, XmlRootElement::ReadMode::KeepComplete);
    int unusable = 0;
    for (const XmlElement &element : root.children(QStringLiteral("item"))) {
        if (element.isEmpty())
            continue;
        if (std::shared_ptr<Item> item = Item::read(element))
            items.append(item);
        else
            ++unusable;
    }
    if (read.ok() && unusable == 0)
        return items;
    const QString reason = read.failed() ? read.messages(QStringLiteral(": "))
                                         : QStringLiteral("%1 unreadable entries").arg(unusable);
    const bool moved = setDamagedFileAside(path, reason, int(items.size()));
    if (writable)
        *writable = moved;
    return items;
}

// Rewrites the whole file from the list, atomically.
template<class Item>
bc_ret saveList(const QString &path, const QList<std::shared_ptr<Item>> &items)
{
    XmlRootElement root;
    for (const std::shared_ptr<Item> &item : items) {
        if (item)
            item->write(root.addChild(QStringLiteral("item"), QString()));
    }
    return root.writeToFile(path);
}
