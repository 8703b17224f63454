#pragma once

#include "library/LibraryItems.h"
#include "media/EncoderThread.h"
#include "ui/ItemLists.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class VideoUploadRequest;

// One edited video: queued, encoding, encoded (upload it now), uploading, uploaded
// (with the links to its pages), or not uploaded with the reason why (try again).
class EditedItemWidget : public CheckableItem
{
    Q_OBJECT
public:
    // The colour of the links to an uploaded video's pages.
    static constexpr char kLinkColour[] = "#1f5fa8";
    enum class State { Queued, Encoding, EncodeFailed, Encoded, Uploading, Uploaded, UploadFailed };

    // A video of the edited list.
    explicit EditedItemWidget(const StoredItemSptr &item, QWidget *parent = nullptr);
    // A video that encoder is about to make; uploaded at once when toUpload.
    EditedItemWidget(const EncoderThreadSptr &encoder, bool toUpload, QWidget *parent = nullptr);

    StoredItemSptr item() const { return m_item; }
    State state() const { return m_state; }
    // Percent done of the running encoding or upload; -1 when none runs.
    int progress() const { return m_progress; }
    bool canUpload() const { return m_state == State::Encoded || m_state == State::UploadFailed; }
    QString statusText() const;

signals:
    // Its entry in the list file changed.
    void changed();
    void progressChanged();

public slots:
    void doUpload();
    void onEncodeStarted();
    void onEncodeProgress(int percent);
    void onEncodeFinished(const EncodedItemSptr &encodedItem, const QString &msg);
    void onUploadProgress(qint64 sent, qint64 total);
    void onUploadFinished(const bc_ret &ret, const QString &uploadKey);
    void onActivate();

protected:
    void changeEvent(QEvent *event) override;

private:
    void buildForm();
    void showFacts();
    void setState(State state);
    void setProgress(int percent);

    StoredItemSptr m_item;
    EncoderThreadSptr m_encoder;
    bool m_uploadWhenEncoded = false;
    State m_state = State::Queued;
    int m_progress = -1;
    QString m_uploadError;
    QLabel *m_thumbnail;
    QLabel *m_lblTitle;
    QLabel *m_lblAdded;
    QLabel *m_lblEdited;
    QLabel *m_lblDuration;
    QLabel *m_lblFileSize;
    QLabel *m_lblLinks;
    QLabel *m_lblUploadError;
    QLabel *m_lblStatusIcon;
    QLabel *m_lblStatus;
    QStackedWidget *m_stack;
    QLabel *m_lblPageStatus;
    QPushButton *m_btnUpload;
    QLabel *m_lblUploadButton;
    QLabel *m_lblActivate = nullptr;
    QProgressBar *m_prgEncodeUpload;
    QPushButton *m_btnActivate;
};

// The "Edited" tab: the edited list and what can be done to the checked videos.
class EditedPage : public QWidget
{
    Q_OBJECT
public:
    EditedPage(const QString &editedList, QWidget *parent = nullptr);

    CheckableExplorerTable *table() const { return m_table; }
    QList<EditedItemWidget *> widgets() const;
    int count() const { return m_table->count(); }
    void loadState();
    void saveState() const;

signals:
    void itemCountChanged(int count);
    // Everything encoding or uploading together: done out of total; total 0 when nothing runs.
    void totalProgress(int done, int total);

public slots:
    // The texts again, in the language now in force.
    void retranslate();
    void doCreateDisplayHandler(const EncoderThreadSptr &encoder, bool toUpload);
    void uploadChecked();
    void deleteChecked();
    void updateTotalProgress();

private:
    void adopt(EditedItemWidget *widget);

    QString m_listFile;
    bool m_writable = true;
    CheckableExplorerTable *m_table;
    QLabel *m_lblHeader;
};
