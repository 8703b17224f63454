#pragma once

#include "Log.h"
#include "XmlElement.h"

#include <QList>
#include <QString>

#include <memory>

// Whole list files (pending, archive, edited): one "item" per entry, in list order.
// Item must offer `void write(XmlElement) const` and
// `static std::shared_ptr<Item> read(const XmlElement &)` (null for an unusable entry).

// The entries of a list file. A missing or damaged file gives an empty list and a
// warning in the log; empty and unusable entries are skipped.
template<class Item>
QList<std::shared_ptr<Item>> loadList(const QString &path)
{
    QList<std::shared_ptr<Item>> items;
    XmlRootElement root;
    const bc_ret ret = root.readFromFile(path);
    if (ret.failed()) {
        logWarn(ret.details(QStringLiteral(": ")));
        return items;
    }
    for (const XmlElement &element : root.children(QStringLiteral("item"))) {
        if (element.isEmpty())
            continue;
        if (std::shared_ptr<Item> item = Item::read(element))
            items.append(item);
    }
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
