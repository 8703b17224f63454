#include "ui/ItemLists.h"

#include <QVBoxLayout>

CheckAllBox::CheckAllBox(QWidget *parent)
    : QCheckBox(parent)
{
    setTristate(true);
    connect(this, &QAbstractButton::clicked, this, [this] { emit userChecked(checkState() == Qt::Checked); });
}

void CheckAllBox::nextCheckState()
{
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

CheckableItem::CheckableItem(QWidget *parent)
    : QFrame(parent)
    , m_chkSelect(new QCheckBox(this))
{
    m_chkSelect->setObjectName(QStringLiteral("chkSelect"));
    // As tall as its content: the list's spare room stays below the last item.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    connect(m_chkSelect, &QCheckBox::toggled, this, &CheckableItem::checkChanged);
}

bool CheckableItem::isChecked() const
{
    return m_chkSelect->isChecked();
}

void CheckableItem::setChecked(bool checked)
{
    m_chkSelect->setChecked(checked);
}

CheckableExplorerTable::CheckableExplorerTable(QWidget *parent)
    : QScrollArea(parent)
    , m_content(new QWidget(this))
    , m_column(new QVBoxLayout(m_content))
{
    m_column->setContentsMargins(4, 4, 4, 4);
    m_column->addStretch();
    setWidget(m_content);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void CheckableExplorerTable::setCheckAllBox(CheckAllBox *box)
{
    m_checkAll = box;
    connect(box, &CheckAllBox::userChecked, this, &CheckableExplorerTable::doCheck);
    updateCheckAllState();
}

QList<CheckableItem *> CheckableExplorerTable::checkedItems() const
{
    QList<CheckableItem *> checked;
    for (CheckableItem *item : m_items) {
        if (item->isChecked())
            checked.append(item);
    }
    return checked;
}

void CheckableExplorerTable::addItem(CheckableItem *item)
{
    item->setParent(m_content);
    // Before the stretch that keeps the items at the top.
    m_column->insertWidget(m_column->count() - 1, item);
    m_items.append(item);
    connect(item, &CheckableItem::checkChanged, this, &CheckableExplorerTable::updateCheckAllState);
    item->show();
    updateCheckAllState();
    emit itemCountChanged(count());
}

void CheckableExplorerTable::takeItem(CheckableItem *item)
{
    if (!m_items.removeOne(item))
        return;
    m_column->removeWidget(item);
    disconnect(item, &CheckableItem::checkChanged, this, &CheckableExplorerTable::updateCheckAllState);
    item->setParent(nullptr);
    updateCheckAllState();
    emit itemCountChanged(count());
}

void CheckableExplorerTable::removeItem(CheckableItem *item)
{
    takeItem(item);
    item->deleteLater();
}

void CheckableExplorerTable::doCheck(bool checked)
{
    for (CheckableItem *item : std::as_const(m_items))
        item->setChecked(checked);
    updateCheckAllState();
}

void CheckableExplorerTable::updateCheckAllState()
{
    if (!m_checkAll)
        return;
    const qsizetype checked = checkedItems().size();
    m_checkAll->setCheckState(checked == 0 ? Qt::Unchecked : checked == m_items.size() ? Qt::Checked : Qt::PartiallyChecked);
}
