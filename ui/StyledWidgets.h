#pragma once

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

// Thin widgets for the program's style sheets. Each carries the dynamic property
// bc_is_styled = "true", which the style sheets select on.

// A label that acts as a button: clicked() on a left-button release inside it.
class LabelButton : public QLabel
{
    Q_OBJECT
public:
    explicit LabelButton(QWidget *parent = nullptr);
    explicit LabelButton(const QString &text, QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// A frame that acts as a button: clicked() on a left-button release inside it.
class FrameButton : public QFrame
{
    Q_OBJECT
public:
    explicit FrameButton(QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// A push button whose hover state style sheets can select on: [hovered="true"].
class StyledButton : public QPushButton
{
    Q_OBJECT
public:
    explicit StyledButton(QWidget *parent = nullptr);
    explicit StyledButton(const QString &text, QWidget *parent = nullptr);

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void setHovered(bool hovered);
};

// Shows one of its widgets at a time. Unlike QStackedWidget, its size follows the
// widget shown, not the largest one.
class StackedWidget : public QFrame
{
    Q_OBJECT
public:
    explicit StackedWidget(QWidget *parent = nullptr);

    // Takes the widget in, hidden.
    void addWidget(QWidget *widget);
    // Shows the widget and hides the others; false when it is not one of ours.
    bool setCurrentWidget(QWidget *widget);
    QWidget *currentWidget() const { return m_current; }
    int count() const;

private:
    QPointer<QWidget> m_current;
};

// A horizontal separator, 2 pixels high.
class H_Line : public QFrame
{
    Q_OBJECT
public:
    explicit H_Line(QWidget *parent = nullptr);
};

// A vertical separator, 2 pixels wide.
class V_Line : public QFrame
{
    Q_OBJECT
public:
    explicit V_Line(QWidget *parent = nullptr);
};

// A combo box whose list is a QListView, so that style sheets reach its items.
class StyledComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit StyledComboBox(QWidget *parent = nullptr);
};
