#pragma once

#include <QDialog>
#include <QFrame>
#include <QUrl>

class EditedPage;
class EditingItemWidget;
class QLabel;
class QRadioButton;
class QStackedWidget;
class QTabWidget;
class RecordedPage;
class WebView;

// The main window's content: who is logged in, the service's banner, the three
// video tabs and, beside them, the service's pages or the edit panel.
class MainPage : public QFrame
{
    Q_OBJECT
public:
    explicit MainPage(QWidget *parent = nullptr);

    RecordedPage *recordedPage() const { return m_recorded; }
    EditingItemWidget *editingItem() const { return m_editing; }
    EditedPage *editedPage() const { return m_edited; }
    QTabWidget *tabs() const { return m_tabGlobal; }
    WebView *adView() const { return m_webAd; }
    QString tabText(int index) const;
    void loadState();
    void saveState() const;
    void reloadAd();
    void retranslate();

signals:
    void logOut();
    void showOptions();

public slots:
    void onNewEditingItem();
    void onFinishEditingItem();
    void onNewEditedItem();
    void onTabChanged(int index);
    void onRecordedCountChanged(int count);
    void onEditedCountChanged(int count);
    void onAutoDetectionChanged(bool value);
    void setAutoDetection(bool value);

private:
    void buildHeader(QWidget *parent, class QVBoxLayout *column);
    void buildTabs(QWidget *parent, class QHBoxLayout *row);
    void refreshTabTexts();

    RecordedPage *m_recorded;
    EditingItemWidget *m_editing;
    EditedPage *m_edited;
    int m_recordedCount = 0;
    int m_editingCount = 0;
    int m_editedCount = 0;
    QLabel *m_lblUsernameX;
    QLabel *m_lblUsername;
    WebView *m_webAd;
    QTabWidget *m_tabGlobal;
    QRadioButton *m_rdAuto;
    QRadioButton *m_rdManu;
    QStackedWidget *m_stackedWidget;
    QTabWidget *m_tabWeb;
    WebView *m_webBonus;
    WebView *m_webVideo;
};

// The first steps, shown at start until the user says not to.
class QuickStart : public QDialog
{
    Q_OBJECT
public:
    explicit QuickStart(QWidget *parent = nullptr);
    void retranslate();
    // The guide's page (written for this desktop and language); shown again when open.
    void setPage(const QUrl &url);
    WebView *webView() const { return m_webView; }
    QLabel *titleLabel() const { return m_lblHelpTitle; }

protected:
    // The guide is loaded when it is first looked at.
    void showEvent(QShowEvent *event) override;

private slots:
    void onShowAtStartupToggled(bool checked);

private:
    QLabel *m_lblHelpTitle;
    WebView *m_webView;
    QUrl m_page;
};

// The program's version, its site and its notices.
class AboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit AboutBox(QWidget *parent = nullptr);
};
