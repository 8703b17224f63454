#include "ui/StatPage.h"

#include "library/LibraryItems.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

StatPage::StatPage(qint64 pendingBytes, qint64 archivedBytes, qint64 encodedBytes, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("StatPage"));
    setWindowTitle(tr("Statistic"));
    auto *column = new QVBoxLayout(this);
    auto *group = new QGroupBox(this);
    group->setObjectName(QStringLiteral("grpStatistic"));
    m_grid = new QGridLayout(group);
    column->addWidget(group);

    // The sum is formatted once, not added up from the rounded texts.
    addRow(QStringLiteral("TotalSize"), tr("Total size on disk:"), pendingBytes + archivedBytes + encodedBytes);
    auto *line = new QFrame(group);
    line->setObjectName(QStringLiteral("line"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    m_grid->addWidget(line, m_rows++, 0, 1, 2);
    addRow(QStringLiteral("PendingSize"), tr("Pending videos:"), pendingBytes);
    addRow(QStringLiteral("ArchivedSize"), tr("Archived videos:"), archivedBytes);
    addRow(QStringLiteral("EncodedSize"), tr("Encoded videos:"), encodedBytes);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    auto *btnOK = new QPushButton(tr("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    buttons->addWidget(btnOK);
    column->addLayout(buttons);
    connect(btnOK, &QAbstractButton::clicked, this, &QDialog::accept);
}

// The caption "lblNAMEX" and the size "lblNAME" on the next row of the group.
void StatPage::addRow(const QString &name, const QString &caption, qint64 bytes)
{
    QWidget *group = m_grid->parentWidget();
    auto *lblCaption = new QLabel(caption, group);
    lblCaption->setObjectName(QStringLiteral("lbl%1X").arg(name));
    auto *lblSize = new QLabel(fileSizeText(bytes), group);
    lblSize->setObjectName(QStringLiteral("lbl%1").arg(name));
    lblSize->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_grid->addWidget(lblCaption, m_rows, 0);
    m_grid->addWidget(lblSize, m_rows++, 1);
}
