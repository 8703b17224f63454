#include "ui/MainPage.h"

#include "app/Paths.h"
#include "library/User.h"
#include "library/WindowConfig.h"
#include "media/EncoderThread.h"
#include "ui/EditedPage.h"
#include "ui/EditingPage.h"
#include "ui/RecordedPage.h"
#include "ui/WebView.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

enum Tab { RecordedTab = 0, EditingTab = 1, EditedTab = 2 };

UserPaths currentPaths()
{
    const User *user = User::current();
    return user ? user->paths() : UserPaths();
}

} // namespace

MainPage::MainPage(QWidget *parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("MainPage"));
    const UserPaths paths = currentPaths();
    m_recorded = new RecordedPage(paths.pendingList, paths.archiveList, this);
    m_edited = new EditedPage(paths.editedList, this);
    m_editing = new EditingItemWidget(this);

    auto *column = new QVBoxLayout(this);
    buildHeader(this, column);
    auto *row = new QHBoxLayout;
    buildTabs(this, row);
    column->addLayout(row, 1);

    connect(m_tabGlobal, &QTabWidget::currentChanged, this, &MainPage::onTabChanged);
    connect(m_recorded, &RecordedPage::itemCountChanged, this, &MainPage::onRecordedCountChanged);
    connect(m_recorded, &RecordedPage::edit, m_editing, &EditingItemWidget::doEditVideo);
    connect(m_editing, &EditingItemWidget::newEditingItem, this, &MainPage::onNewEditingItem);
    connect(m_editing, &EditingItemWidget::finishEditingItem, this, &MainPage::onFinishEditingItem);
    connect(m_editing, &EditingItemWidget::newEditedItem, this, &MainPage::onNewEditedItem);
    if (EncoderThreadQueue *queue = EncoderThreadQueue::instance())
        connect(queue, &EncoderThreadQueue::createDisplayHandler, m_edited, &EditedPage::doCreateDisplayHandler);
    connect(m_edited, &EditedPage::itemCountChanged, this, &MainPage::onEditedCountChanged);

    const WindowConfig *settings = WindowConfig::instance();
    (settings && !settings->autoDetection() ? m_rdManu : m_rdAuto)->setChecked(true);
    connect(m_rdAuto, &QRadioButton::toggled, this, &MainPage::setAutoDetection);
    if (settings)
        connect(settings, &WindowConfig::autoDetectionChanged, this, &MainPage::onAutoDetectionChanged);

    m_webBonus->load(QUrl(serviceUrl(tr("/soft"))));
    m_webVideo->load(QUrl(serviceUrl(QStringLiteral("/soft/topreview"))));
    m_stackedWidget->setCurrentWidget(m_tabWeb);
    reloadAd();
    retranslate();
}

void MainPage::buildHeader(QWidget *parent, QVBoxLayout *column)
{
    auto *frmHeader = new QFrame(parent);
    frmHeader->setObjectName(QStringLiteral("frmHeader"));
    auto *header = new QHBoxLayout(frmHeader);
    auto *lblLogo = new QLabel(frmHeader);
    lblLogo->setObjectName(QStringLiteral("lblLogo"));
    lblLogo->setText(QStringLiteral("<a href=\"%1\"><img src=\":/images/logo_login.png\"/></a>").arg(serviceUrl()));
    lblLogo->setOpenExternalLinks(true);
    header->addWidget(lblLogo);
    m_webAd = new WebView(frmHeader);
    m_webAd->setObjectName(QStringLiteral("webAd"));
    m_webAd->setFixedHeight(60);
    m_webAd->setScrollBarsOff();
    header->addWidget(m_webAd, 1);
    auto *frmUserName = new QFrame(frmHeader);
    frmUserName->setObjectName(QStringLiteral("frmUserName"));
    auto *names = new QVBoxLayout(frmUserName);
    m_lblUsernameX = new QLabel(frmUserName);
    m_lblUsernameX->setObjectName(QStringLiteral("lblUsernameX"));
    m_lblUsername = new QLabel(frmUserName);
    m_lblUsername->setObjectName(QStringLiteral("lblUsername"));
    m_lblUsername->setOpenExternalLinks(true);
    const User *user = User::current();
    const QString name = user && user->info() ? user->info()->username : QString();
    m_lblUsername->setText(QStringLiteral("<a href=\"%1/%2\" style=\"color:#8dde3b;text-decoration:none;\">%2</a>")
                                   .arg(serviceUrl(), name.toHtmlEscaped()));
    names->addWidget(m_lblUsernameX);
    names->addWidget(m_lblUsername);
    header->addWidget(frmUserName);
    auto *btnSignout = new QPushButton(tr("Log out"), frmHeader);
    btnSignout->setObjectName(QStringLiteral("btnSignout"));
    btnSignout->setToolTip(tr("Log out"));
    header->addWidget(btnSignout);
    connect(btnSignout, &QAbstractButton::clicked, this, &MainPage::logOut);
    column->addWidget(frmHeader);
}

void MainPage::buildTabs(QWidget *parent, QHBoxLayout *row)
{
    auto *tabGlobalFrame = new QFrame(parent);
    tabGlobalFrame->setObjectName(QStringLiteral("tabGlobalFrame"));
    auto *tabColumn = new QVBoxLayout(tabGlobalFrame);
    tabColumn->setContentsMargins(0, 0, 0, 0);
    m_tabGlobal = new QTabWidget(tabGlobalFrame);
    m_tabGlobal->setObjectName(QStringLiteral("tabGlobal"));
    m_tabGlobal->addTab(m_recorded, QString());
    m_tabGlobal->addTab(m_editing, QString());
    m_tabGlobal->addTab(m_edited, QString());
    auto *wgtTabTopRight = new QWidget(m_tabGlobal);
    wgtTabTopRight->setObjectName(QStringLiteral("wgtTabTopRight"));
    auto *corner = new QHBoxLayout(wgtTabTopRight);
    corner->setContentsMargins(0, 0, 0, 0);
    auto *frmAutoManu = new QFrame(wgtTabTopRight);
    frmAutoManu->setObjectName(QStringLiteral("frmAutoManu"));
    auto *modes = new QHBoxLayout(frmAutoManu);
    modes->setContentsMargins(0, 0, 0, 0);
    m_rdAuto = new QRadioButton(frmAutoManu);
    m_rdAuto->setObjectName(QStringLiteral("rdAuto"));
    m_rdManu = new QRadioButton(frmAutoManu);
    m_rdManu->setObjectName(QStringLiteral("rdManu"));
    auto *buttonGroup = new QButtonGroup(frmAutoManu);
    buttonGroup->setObjectName(QStringLiteral("buttonGroup"));
    buttonGroup->addButton(m_rdAuto);
    buttonGroup->addButton(m_rdManu);
    modes->addWidget(m_rdAuto);
    modes->addWidget(m_rdManu);
    corner->addWidget(frmAutoManu);
    auto *btnOptions = new QPushButton(tr("Options"), wgtTabTopRight);
    btnOptions->setObjectName(QStringLiteral("btnOptions"));
    corner->addWidget(btnOptions);
    m_tabGlobal->setCornerWidget(wgtTabTopRight, Qt::TopRightCorner);
    connect(btnOptions, &QAbstractButton::clicked, this, &MainPage::showOptions);
    tabColumn->addWidget(m_tabGlobal);
    row->addWidget(tabGlobalFrame, 3);

    m_stackedWidget = new QStackedWidget(parent);
    m_stackedWidget->setObjectName(QStringLiteral("stackedWidget"));
    m_tabWeb = new QTabWidget(m_stackedWidget);
    m_tabWeb->setObjectName(QStringLiteral("tabWeb"));
    m_webBonus = new WebView(m_tabWeb);
    m_webBonus->setObjectName(QStringLiteral("webBonus"));
    m_webVideo = new WebView(m_tabWeb);
    m_webVideo->setObjectName(QStringLiteral("webVideo"));
    for (WebView *view : {m_webBonus, m_webVideo})
        view->setScrollBarsOff();
    m_tabWeb->addTab(m_webBonus, QString());
    m_tabWeb->addTab(m_webVideo, QString());
    m_stackedWidget->addWidget(m_tabWeb);
    auto *frmEditControl = m_editing->editControl();
    frmEditControl->setObjectName(QStringLiteral("frmEditControl"));
    m_stackedWidget->addWidget(frmEditControl);
    m_stackedWidget->setMinimumWidth(280);
    row->addWidget(m_stackedWidget, 1);
}

QString MainPage::tabText(int index) const
{
    return m_tabGlobal->tabText(index);
}

void MainPage::refreshTabTexts()
{
    m_tabGlobal->setTabText(RecordedTab, tr("Recorded (%1)").arg(m_recordedCount));
    m_tabGlobal->setTabText(EditingTab, tr("Editing (%1)").arg(m_editingCount));
    m_tabGlobal->setTabText(EditedTab, tr("Edited (%1)").arg(m_editedCount));
}

void MainPage::retranslate()
{
    m_lblUsernameX->setText(tr("You're logged in as"));
    m_rdAuto->setText(tr("Auto"));
    m_rdManu->setText(tr("Manu"));
    m_tabWeb->setTabText(0, tr("Bonus"));
    m_tabWeb->setTabText(1, tr("Videos"));
    findChild<QPushButton *>(QStringLiteral("btnOptions"))->setText(tr("Options"));
    auto *signOut = findChild<QPushButton *>(QStringLiteral("btnSignout"));
    signOut->setText(tr("Log out"));
    signOut->setToolTip(tr("Log out"));
    m_recorded->retranslate();
    m_edited->retranslate();
    refreshTabTexts();
}

void MainPage::loadState()
{
    m_recorded->loadState();
    m_edited->loadState();
}

void MainPage::saveState() const
{
    m_recorded->saveState();
    m_edited->saveState();
}

void MainPage::reloadAd()
{
    m_webAd->load(QUrl(serviceUrl(QStringLiteral("/soft/banner"))));
}

void MainPage::onNewEditingItem()
{
    m_editingCount = 1;
    refreshTabTexts();
    m_tabGlobal->setCurrentIndex(EditingTab);
}

void MainPage::onFinishEditingItem()
{
    m_editingCount = 0;
    refreshTabTexts();
}

void MainPage::onNewEditedItem()
{
    m_tabGlobal->setCurrentIndex(EditedTab);
}

void MainPage::onTabChanged(int index)
{
    m_stackedWidget->setCurrentIndex(index == EditingTab ? 1 : 0);
}

void MainPage::onRecordedCountChanged(int count)
{
    m_recordedCount = count;
    refreshTabTexts();
}

void MainPage::onEditedCountChanged(int count)
{
    m_editedCount = count;
    refreshTabTexts();
}

void MainPage::onAutoDetectionChanged(bool value)
{
    QRadioButton *wanted = value ? m_rdAuto : m_rdManu;
    if (!wanted->isChecked())
        wanted->setChecked(true);
}

void MainPage::setAutoDetection(bool value)
{
    if (WindowConfig *settings = WindowConfig::instance()) {
        settings->setAutoDetection(value);
        settings->delaySave();
    }
}

QuickStart::QuickStart(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("QuickStart"));
    resize(640, 520);
    auto *column = new QVBoxLayout(this);
    auto *frmHeader = new QFrame(this);
    frmHeader->setObjectName(QStringLiteral("frmHeader"));
    auto *header = new QHBoxLayout(frmHeader);
    auto *lblHelpIcon = new QLabel(frmHeader);
    lblHelpIcon->setObjectName(QStringLiteral("lblHelpIcon"));
    lblHelpIcon->setPixmap(QPixmap(QStringLiteral(":/images/small_icon.png")));
    header->addWidget(lblHelpIcon);
    m_lblHelpTitle = new QLabel(frmHeader);
    m_lblHelpTitle->setObjectName(QStringLiteral("lblHelpTitle"));
    header->addWidget(m_lblHelpTitle, 1);
    column->addWidget(frmHeader);
    m_webView = new WebView(this);
    m_webView->setObjectName(QStringLiteral("webView"));
    column->addWidget(m_webView, 1);
    auto *bottom = new QHBoxLayout;
    auto *chkShowAtStartup = new QCheckBox(tr("Show this screen at startup"), this);
    chkShowAtStartup->setObjectName(QStringLiteral("chkShowAtStartup"));
    auto *btnOK = new QPushButton(tr("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    bottom->addWidget(chkShowAtStartup);
    bottom->addStretch();
    bottom->addWidget(btnOK);
    column->addLayout(bottom);
    connect(btnOK, &QAbstractButton::clicked, this, &QDialog::accept);
    const WindowConfig *settings = WindowConfig::instance();
    chkShowAtStartup->setChecked(settings && settings->showHelpAtStartup());
    connect(chkShowAtStartup, &QCheckBox::toggled, this, &QuickStart::onShowAtStartupToggled);
    retranslate();
}

void QuickStart::retranslate()
{
    setWindowTitle(tr("Brindlecast - Quick start"));
    m_lblHelpTitle->setText(QStringLiteral("<span style=\"color:#d0d0d0;font-size:16px;\">Brindlecast&trade; - %1</span>")
                                    .arg(tr("Quick start guide")));
}

void QuickStart::setPage(const QUrl &url)
{
    m_page = url;
    if (isVisible())
        m_webView->load(m_page);
}

void QuickStart::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_webView->loadCount() == 0 && !m_page.isEmpty())
        m_webView->load(m_page);
}

void QuickStart::onShowAtStartupToggled(bool checked)
{
    if (WindowConfig *settings = WindowConfig::instance()) {
        settings->setShowHelpAtStartup(checked);
        settings->delaySave();
    }
}

AboutBox::AboutBox(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(tr("About Brindlecast"));
    auto *column = new QVBoxLayout(this);
    auto *frmAboutHeader = new QFrame(this);
    frmAboutHeader->setObjectName(QStringLiteral("frmAboutHeader"));
    auto *header = new QHBoxLayout(frmAboutHeader);
    auto *logo = new QLabel(frmAboutHeader);
    logo->setPixmap(QPixmap(QStringLiteral(":/images/logo_login.png")));
    header->addWidget(logo);
    auto *lblBrief = new QLabel(tr("A poker screencast freeware coupled with a video sharing website"), frmAboutHeader);
    lblBrief->setObjectName(QStringLiteral("lblBrief"));
    lblBrief->setWordWrap(true);
    header->addWidget(lblBrief, 1);
    column->addWidget(frmAboutHeader);
    auto *frmAboutBody = new QFrame(this);
    frmAboutBody->setObjectName(QStringLiteral("frmAboutBody"));
    auto *body = new QVBoxLayout(frmAboutBody);
    auto *lblHtmlAbout = new QLabel(frmAboutBody);
    lblHtmlAbout->setObjectName(QStringLiteral("lblHtmlAbout"));
    lblHtmlAbout->setOpenExternalLinks(true);
    const QString base = serviceUrl();
    lblHtmlAbout->setText(
            QStringLiteral("<div style=\"color:#b0b0b0\"><p>Brindlecast&trade; <b>%1.%2</b></p>"
                           "<p>Website: <a href=\"%4\">%5</a><br/>Support: <a href=\"mailto:%3\">%3</a></p>"
                           "<p>&copy; The Brindlecast developers</p><p>%6</p></div>")
                    .arg(QLatin1String(kVersion), QLatin1String(kRevision), QStringLiteral("support@brindlecast.local"),
                         base, base.mid(7), tr("This software uses libraries from the FFmpeg project under the LGPLv2.1")));
    body->addWidget(lblHtmlAbout);
    column->addWidget(frmAboutBody);
    auto *btnOK = new QPushButton(tr("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    column->addWidget(btnOK, 0, Qt::AlignRight);
    connect(btnOK, &QAbstractButton::clicked, this, &QDialog::accept);
}
