#pragma once

#include "library/LibraryItems.h"
#include "media/AVAssembler.h"
#include "ui/ItemLists.h"

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTabWidget;

// One recorded video: its picture, title, date and length, and a button to edit
// it; while the recording is still being saved, the saving's progress instead.
class RecordedItemWidget : public CheckableItem
{
    Q_OBJECT
public:
    static constexpr QSize kThumbnailSize{120, 90};

    explicit RecordedItemWidget(const RecordedItemSptr &item, QWidget *parent = nullptr);
    // For a recording being saved by assembler.
    explicit RecordedItemWidget(const AVAssemblerSptr &assembler, QWidget *parent = nullptr);

    // Null while the recording is being saved.
    RecordedItemSptr item() const { return m_item; }

signals:
    void edit(const RecordedItemSptr &item);
    void archive(RecordedItemWidget *widget);
    // Its entry in the list file changed (saved at last, a new title).
    void changed();
    // The saving failed: the widget has nothing to show any more.
    void failed(RecordedItemWidget *widget);
    void closeNotifier();

public slots:
    void onStatusChanged();
    void onVideoTitleSet(const QString &title);
    void onBuildProgress(int percent);
    void onBuildFinished(const bc_ret &result, const QString &file);

protected:
    void changeEvent(QEvent *event) override;

private:
    void buildForm();
    void showItem();

    RecordedItemSptr m_item;
    ConstDetectionSptr m_detection;
    int m_room = -1;
    QString m_pendingTitle;
    QStackedWidget *m_pictureStack;
    QLabel *m_thumbnail;
    QProgressBar *m_progressBar;
    QLabel *m_lblTitle;
    QLabel *m_lblAdded;
    QLabel *m_lblDuration;
    QPushButton *m_btnEdit;
};

// One list of recorded videos bound to its list file.
class PendingPage : public CheckableExplorerTable
{
    Q_OBJECT
public:
    PendingPage(const QString &listFile, QWidget *parent = nullptr);

    void loadState();
    void saveState() const;
    // Wires the widget's signals to this list (also for widgets moved in).
    void adopt(RecordedItemWidget *widget);
    QList<RecordedItemWidget *> widgets() const;

signals:
    void edit(const RecordedItemSptr &item);
    void archive(RecordedItemWidget *widget);

private:
    QString m_listFile;
    bool m_writable = true;
};

// The "Recorded" tab: pending and archived videos, and what can be done to the
// checked ones.
class RecordedPage : public QWidget
{
    Q_OBJECT
public:
    RecordedPage(const QString &pendingList, const QString &archiveList, QWidget *parent = nullptr);

    PendingPage *pendingPage() const { return m_pending; }
    PendingPage *archivePage() const { return m_archive; }
    int count() const;
    void loadState();
    void saveState() const;

signals:
    void itemCountChanged(int count);
    void edit(const RecordedItemSptr &item);

public slots:
    // The texts again, in the language now in force.
    void retranslate();
    void doCreateDisplayHandler(const AVAssemblerSptr &assembler);
    void doArchive(RecordedItemWidget *widget);
    void archiveChecked();
    void deletePendingChecked();
    void deleteArchiveChecked();

private slots:
    void onCountChanged();
    void onSaveFailed(RecordedItemWidget *widget);

private:
    void refreshTabTexts();
    void deleteChecked(PendingPage *page);
    void moveToArchive(RecordedItemWidget *widget);

    QTabWidget *m_tabs;
    PendingPage *m_pending;
    PendingPage *m_archive;
    QStackedWidget *m_actions;
};
