#pragma once

#include <QDialog>

class QGridLayout;

// How much disk space the user's videos take, by list and in all.
class StatPage : public QDialog
{
    Q_OBJECT
public:
    // Byte counts of the pending, archive and edited lists.
    StatPage(qint64 pendingBytes, qint64 archivedBytes, qint64 encodedBytes, QWidget *parent = nullptr);

private:
    void addRow(const QString &name, const QString &caption, qint64 bytes);

    QGridLayout *m_grid = nullptr;
    int m_rows = 0;
};
