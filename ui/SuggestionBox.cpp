#include "ui/SuggestionBox.h"

#include "app/Log.h"

#include <QCompleter>
#include <QCoreApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QStringListModel>
#include <QStyle>
#include <QTreeView>

namespace {

constexpr int kMaxSuggestions = 5;

bool isNavigationKey(int key)
{
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return true;
    default:
        return false;
    }
}

} // namespace

SuggestionBox::SuggestionBox(const QStringList &names, QWidget *parent)
    : QFrame(parent)
{
    m_lineEdit = new QLineEdit(this);
    m_lineEdit->setObjectName(QStringLiteral("lineEdit"));
    m_dropButton = new QPushButton(this);
    m_dropButton->setObjectName(QStringLiteral("btnDrop"));
    m_dropButton->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    // Pressing it must not take the focus from the line edit: that would hide the list
    // just before the press toggles it.
    m_dropButton->setFocusPolicy(Qt::NoFocus);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_lineEdit, 1);
    layout->addWidget(m_dropButton);

    auto *namesModel = new QStringListModel(names, this);
    auto *sorted = new QSortFilterProxyModel(this);
    sorted->setSourceModel(namesModel);
    sorted->setSortCaseSensitivity(Qt::CaseInsensitive);
    sorted->sort(0);
    // Only lists completions; it is never attached to the line edit.
    m_completer = new QCompleter(sorted, this);
    m_completer->setCaseSensitivity(Qt::CaseInsensitive);
    m_completer->setModelSorting(QCompleter::CaseInsensitivelySortedModel);

    buildPopup();

    connect(m_lineEdit, &QLineEdit::textChanged, this, &SuggestionBox::suggest);
    connect(m_lineEdit, &QLineEdit::textEdited, this, &SuggestionBox::showPopup);
    connect(m_dropButton, &QPushButton::pressed, this, &SuggestionBox::onDrop);
    connect(m_popup, &QTreeView::clicked, this, &SuggestionBox::completed);
    connect(m_popup, &QTreeView::activated, this, &SuggestionBox::completed);
    m_lineEdit->installEventFilter(this);
    watchWindow();
    // The list offers names before anything is typed.
    suggest(QString());
}

SuggestionBox::~SuggestionBox()
{
    m_lineEdit->removeEventFilter(this);
    delete m_popup;
}

void SuggestionBox::buildPopup()
{
    m_model = new QStandardItemModel(this);
    m_suggestionRoot = _newRoot(QT_TR_NOOP("Suggestion"));
    m_yourRoomsRoot = _newRoot(QT_TR_NOOP("Your rooms"));
    m_model->appendRow(m_suggestionRoot);
    m_model->appendRow(m_yourRoomsRoot);

    m_popup = new QTreeView;
    m_popup->setObjectName(QStringLiteral("suggestionPopup"));
    // An override-redirect window that refuses focus: X11 keeps the keyboard on the
    // line edit's window, with or without a window manager.
    m_popup->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    m_popup->setAttribute(Qt::WA_ShowWithoutActivating);
    m_popup->setFocusPolicy(Qt::NoFocus);
    m_popup->setHeaderHidden(true);
    m_popup->setRootIsDecorated(false);
    m_popup->setItemsExpandable(false);
    m_popup->setUniformRowHeights(true);
    m_popup->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_popup->setSelectionMode(QAbstractItemView::SingleSelection);
    m_popup->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A one-pixel border: resizePopup() counts two pixels for it.
    m_popup->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_popup->setLineWidth(1);
    m_popup->setModel(m_model);
    m_popup->expandAll();
}

QStandardItem *SuggestionBox::_newRoot(const char *text)
{
    auto *item = new QStandardItem(tr(text));
    QFont font;
    font.setItalic(true);
    item->setFont(font);
    item->setFlags(Qt::ItemIsEnabled);
    return item;
}

bool SuggestionBox::hasCompletion(int row) const
{
    return m_completer->completionModel()->index(row, 0).isValid();
}

QString SuggestionBox::completion(int row) const
{
    return m_completer->completionModel()->index(row, 0).data().toString();
}

void SuggestionBox::setText(const QString &name)
{
    QString t = name.trimmed();
    m_completer->setCompletionPrefix(t);
    while (!hasCompletion(0) && !t.isEmpty()) {
        t.chop(1);
        m_completer->setCompletionPrefix(t);
    }
    if (hasCompletion(0) && !hasCompletion(1))
        t = completion(0);
    m_lineEdit->setText(t);
}

void SuggestionBox::setYourRooms(const QStringList &names)
{
    m_yourRooms = names;
    m_yourRoomsRoot->removeRows(0, m_yourRoomsRoot->rowCount());
    for (const QString &name : names) {
        auto *item = new QStandardItem(name);
        item->setEditable(false);
        m_yourRoomsRoot->appendRow(item);
    }
    m_popup->expandAll();
    resizePopup();
}

QString SuggestionBox::text() const
{
    return m_lineEdit->text();
}

void SuggestionBox::setResolver(Resolver resolver)
{
    m_resolver = std::move(resolver);
    suggest(m_lineEdit->text());
}

void SuggestionBox::suggest(QString text)
{
    const QString t = text.trimmed();
    const QString resolved = m_resolver && !t.isEmpty() ? m_resolver(t) : QString();
    m_matchedText.clear();
    m_suggestionRoot->removeRows(0, m_suggestionRoot->rowCount());
    // The name the text stands for ("888 Poker": "888poker.com") comes first.
    auto addSuggestion = [this](const QString &name) {
        auto *item = new QStandardItem(name);
        item->setEditable(false);
        m_suggestionRoot->appendRow(item);
    };
    if (!resolved.isEmpty())
        addSuggestion(resolved);
    m_completer->setCompletionPrefix(t);
    for (int row = 0; hasCompletion(row) && m_suggestionRoot->rowCount() < kMaxSuggestions; ++row) {
        if (completion(row) != resolved)
            addSuggestion(completion(row));
    }
    for (int row = 0; row < m_suggestionRoot->rowCount() && m_matchedText.isEmpty(); ++row) {
        QStandardItem *item = m_suggestionRoot->child(row);
        if (item->text() == t || (!resolved.isEmpty() && item->text() == resolved)) {
            m_matchedText = item->text();
            m_popup->setCurrentIndex(item->index());
        }
    }
    const bool match = !m_matchedText.isEmpty();
    // Without a match the section header is current, so that Down reaches the first
    // suggestion.
    if (!match)
        m_popup->setCurrentIndex(m_suggestionRoot->index());
    if (match != m_matching) {
        m_matching = match;
        emit matchingChanged(match);
    }
    m_popup->expandAll();
    resizePopup();
}

void SuggestionBox::completed(const QModelIndex &index)
{
    // Section headers are not selectable.
    if (index.model() != m_model || !(index.flags() & Qt::ItemIsSelectable))
        return;
    const QString name = index.data().toString();
    m_popup->hide();
    m_lineEdit->setText(name);
}

void SuggestionBox::showPopup()
{
    placePopup();
    m_popup->show();
    m_popup->raise();
}

void SuggestionBox::onDrop()
{
    if (m_popup->isVisible()) {
        m_popup->hide();
        return;
    }
    // The list answers to the keys typed into the line edit.
    m_lineEdit->setFocus(Qt::OtherFocusReason);
    showPopup();
}

void SuggestionBox::placePopup()
{
    m_popup->move(mapToGlobal(QPoint(0, height())));
}

void SuggestionBox::resizePopup()
{
    int rowHeight = m_popup->sizeHintForRow(0);
    if (rowHeight <= 0)
        rowHeight = m_popup->fontMetrics().height();
    const int rows = m_suggestionRoot->rowCount() + m_yourRoomsRoot->rowCount() + 2;
    m_popup->resize(width(), rowHeight * rows + 2);
}

void SuggestionBox::watchWindow()
{
    QWidget *top = window();
    if (top == m_window)
        return;
    if (m_window)
        m_window->removeEventFilter(this);
    m_window = top;
    // When the box is a window itself, its own moveEvent() places the list.
    if (top != this)
        top->installEventFilter(this);
}

bool SuggestionBox::event(QEvent *event)
{
    if (event->type() == QEvent::ParentChange || event->type() == QEvent::Show)
        watchWindow();
    return QFrame::event(event);
}

bool SuggestionBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_lineEdit)
        return lineEditEvent(event);
    if (watched == m_window)
        windowEvent(event);
    return QFrame::eventFilter(watched, event);
}

void SuggestionBox::windowEvent(QEvent *event)
{
    if (m_window->parentWidget()) {
        logDebug(QStringLiteral("SuggestionBox::eventFilter: Ancestor now has parent"));
        // Follow the new top-level window instead.
        watchWindow();
        return;
    }
    if (event->type() == QEvent::Move && m_popup->isVisible())
        placePopup();
}

bool SuggestionBox::lineEditEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::FocusOut:
        m_popup->hide();
        return false;
    case QEvent::ShortcutOverride: {
        // Claims the keys the list uses while it shows, before any shortcut takes them.
        auto *key = static_cast<QKeyEvent *>(event);
        if (m_popup->isVisible() && (key->key() == Qt::Key_Escape || isNavigationKey(key->key())))
            key->accept();
        return false;
    }
    case QEvent::KeyPress: {
        // Without the list the keys keep their usual meaning, e.g. a dialog's Escape.
        auto *key = static_cast<QKeyEvent *>(event);
        if (!m_popup->isVisible())
            return false;
        if (key->key() == Qt::Key_Escape) {
            m_popup->hide();
            return true;
        }
        if (isNavigationKey(key->key())) {
            QCoreApplication::sendEvent(m_popup, key);
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}

void SuggestionBox::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    m_popup->resize(width(), m_popup->height());
    if (m_popup->isVisible())
        placePopup();
}

void SuggestionBox::moveEvent(QMoveEvent *event)
{
    QFrame::moveEvent(event);
    if (m_popup->isVisible())
        placePopup();
}

void SuggestionBox::hideEvent(QHideEvent *event)
{
    m_popup->hide();
    QFrame::hideEvent(event);
}

HomoSuggestBox::HomoSuggestBox(const QStringList &names, QWidget *parent)
    : QFrame(parent)
    , m_box(new SuggestionBox(names, this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_box);
    connect(m_box, &SuggestionBox::matchingChanged, this, &HomoSuggestBox::matchingChanged);

    const QFontMetrics metrics(font());
    int widest = 0;
    for (const QString &name : names)
        widest = qMax(widest, metrics.horizontalAdvance(name));
    setMinimumWidth(widest + 6);
}

void HomoSuggestBox::setText(const QString &name)
{
    m_box->setText(name);
}

QString HomoSuggestBox::text() const
{
    return m_box->text();
}

bool HomoSuggestBox::matching() const
{
    return m_box->matching();
}

QString HomoSuggestBox::matchedText() const
{
    return m_box->matchedText();
}

void HomoSuggestBox::setSup(const QStringList &names)
{
    m_box->setYourRooms(names);
}
