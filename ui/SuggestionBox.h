#pragma once

#include <QFrame>
#include <QPointer>
#include <QStringList>

#include <functional>

class QCompleter;
class QLineEdit;
class QModelIndex;
class QPushButton;
class QStandardItem;
class QStandardItemModel;
class QTreeView;

// The box in which the user types a poker room's name. Under it hangs a list with
// two sections: up to five known names that start with what was typed, and the
// user's own rooms. The list is a window of its own that never takes the keyboard:
// typing stays in the line edit, which hands the list its navigation keys.
class SuggestionBox : public QFrame
{
    Q_OBJECT
public:
    explicit SuggestionBox(const QStringList &names, QWidget *parent = nullptr);
    ~SuggestionBox() override;

    // Shows the longest start of name that some known name completes; when only one
    // name completes it, that name.
    void setText(const QString &name);
    void setYourRooms(const QStringList &names);
    QString text() const;
    // Whether the text names one of the known names: exactly, or as the resolver
    // reads it (matchedText() then holds the name it stands for).
    bool matching() const { return m_matching; }
    // Maps typed text to the one known name it stands for, or to an empty string.
    using Resolver = std::function<QString(const QString &)>;
    void setResolver(Resolver resolver);
    QString matchedText() const { return m_matchedText; }

    QLineEdit *lineEdit() const { return m_lineEdit; }
    QPushButton *dropButton() const { return m_dropButton; }
    QTreeView *popup() const { return m_popup; }
    QStandardItem *suggestionRoot() const { return m_suggestionRoot; }
    QStandardItem *yourRoomsRoot() const { return m_yourRoomsRoot; }

signals:
    void matchingChanged(const bool matching);

public slots:
    void completed(const QModelIndex &index);
    void suggest(QString text);
    void showPopup();
    void onDrop();
    // A section header of the list: italic, and never chosen. The caller owns it.
    Q_INVOKABLE QStandardItem *_newRoot(const char *text);

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void buildPopup();
    void watchWindow();
    void windowEvent(QEvent *event);
    bool lineEditEvent(QEvent *event);
    bool hasCompletion(int row) const;
    QString completion(int row) const;
    void placePopup();
    void resizePopup();

    QLineEdit *m_lineEdit = nullptr;
    QPushButton *m_dropButton = nullptr;
    QCompleter *m_completer = nullptr;
    // A window of its own, so it is not clipped by the box's window; deleted with the box.
    QTreeView *m_popup = nullptr;
    QStandardItemModel *m_model = nullptr;
    QStandardItem *m_suggestionRoot = nullptr;
    QStandardItem *m_yourRoomsRoot = nullptr;
    QStringList m_yourRooms;
    Resolver m_resolver;
    QString m_matchedText;
    bool m_matching = false;
    // The top-level window whose moves the list follows.
    QPointer<QWidget> m_window;
};

// A SuggestionBox alone in a frame, wide enough for the longest known name.
class HomoSuggestBox : public QFrame
{
    Q_OBJECT
public:
    explicit HomoSuggestBox(const QStringList &names, QWidget *parent = nullptr);

    void setText(const QString &name);
    QString text() const;
    bool matching() const;
    // The known name the text stands for, or an empty string.
    QString matchedText() const;
    SuggestionBox *box() const { return m_box; }

signals:
    void matchingChanged(bool matching);

public slots:
    // The user's own rooms, as the room list reports them.
    void setSup(const QStringList &names);

private:
    SuggestionBox *m_box = nullptr;
};
