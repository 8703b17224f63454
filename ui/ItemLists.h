#pragma once

#include <QCheckBox>
#include <QFrame>
#include <QList>
#include <QScrollArea>

class QVBoxLayout;

// Checks or unchecks every item of a list and shows whether all, some or none are.
class CheckAllBox : public QCheckBox
{
    Q_OBJECT
public:
    explicit CheckAllBox(QWidget *parent = nullptr);

signals:
    void userChecked(bool checked);

protected:
    // From "some" a click checks all.
    void nextCheckState() override;
};

// One entry of a list, with its selection box.
class CheckableItem : public QFrame
{
    Q_OBJECT
public:
    explicit CheckableItem(QWidget *parent = nullptr);
    bool isChecked() const;
    void setChecked(bool checked);

signals:
    void checkChanged();

protected:
    QCheckBox *m_chkSelect;
};

// A scrolling list of items in display order, with a box that checks them all.
class CheckableExplorerTable : public QScrollArea
{
    Q_OBJECT
public:
    explicit CheckableExplorerTable(QWidget *parent = nullptr);

    void setCheckAllBox(CheckAllBox *box);
    const QList<CheckableItem *> &items() const { return m_items; }
    QList<CheckableItem *> checkedItems() const;
    int count() const { return int(m_items.size()); }

    // Takes the item (appended at the end).
    void addItem(CheckableItem *item);
    // Gives the item up without deleting it.
    void takeItem(CheckableItem *item);
    // Takes it out and deletes it.
    void removeItem(CheckableItem *item);

signals:
    void itemCountChanged(int count);
    // The list changed and must be written back.
    void doUpdateXml();

public slots:
    void doCheck(bool checked);
    void updateCheckAllState();

private:
    QWidget *m_content;
    QVBoxLayout *m_column;
    QList<CheckableItem *> m_items;
    CheckAllBox *m_checkAll = nullptr;
};
