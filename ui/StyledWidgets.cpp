#include "ui/StyledWidgets.h"

#include "app/Log.h"

#include <QListView>
#include <QMouseEvent>
#include <QStyle>
#include <QVBoxLayout>

namespace {

void markStyled(QWidget *widget)
{
    widget->setProperty("bc_is_styled", QStringLiteral("true"));
}

bool isClick(const QWidget *widget, const QMouseEvent *event)
{
    return event->button() == Qt::LeftButton && widget->rect().contains(event->position().toPoint());
}

} // namespace

LabelButton::LabelButton(QWidget *parent)
    : QLabel(parent)
{
    markStyled(this);
}

LabelButton::LabelButton(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    markStyled(this);
}

void LabelButton::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (isClick(this, event))
        emit clicked();
}

FrameButton::FrameButton(QWidget *parent)
    : QFrame(parent)
{
    markStyled(this);
}

void FrameButton::mouseReleaseEvent(QMouseEvent *event)
{
    QFrame::mouseReleaseEvent(event);
    if (isClick(this, event))
        emit clicked();
}

StyledButton::StyledButton(QWidget *parent)
    : QPushButton(parent)
{
    markStyled(this);
    setHovered(false);
}

StyledButton::StyledButton(const QString &text, QWidget *parent)
    : QPushButton(text, parent)
{
    markStyled(this);
    setHovered(false);
}

void StyledButton::enterEvent(QEnterEvent *event)
{
    QPushButton::enterEvent(event);
    setHovered(true);
}

void StyledButton::leaveEvent(QEvent *event)
{
    QPushButton::leaveEvent(event);
    setHovered(false);
}

void StyledButton::setHovered(bool hovered)
{
    setProperty("hovered", hovered ? QStringLiteral("true") : QStringLiteral("false"));
    // Style sheets read dynamic properties only when the widget is polished.
    style()->unpolish(this);
    style()->polish(this);
    update();
}

StackedWidget::StackedWidget(QWidget *parent)
    : QFrame(parent)
{
    markStyled(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

void StackedWidget::addWidget(QWidget *widget)
{
    widget->hide();
    layout()->addWidget(widget);
}

bool StackedWidget::setCurrentWidget(QWidget *widget)
{
    if (!widget || layout()->indexOf(widget) < 0) {
        logWarn(QStringLiteral("StackedWidget::setCurrentWidget: not a widget of the stack"));
        return false;
    }
    // Hidden widgets take no room in the layout, so the size follows the one shown.
    for (int i = 0; i < layout()->count(); ++i) {
        QWidget *other = layout()->itemAt(i)->widget();
        if (other && other != widget)
            other->hide();
    }
    widget->show();
    m_current = widget;
    updateGeometry();
    return true;
}

int StackedWidget::count() const
{
    return layout()->count();
}

H_Line::H_Line(QWidget *parent)
    : QFrame(parent)
{
    markStyled(this);
    setFrameShape(QFrame::HLine);
    setFrameShadow(QFrame::Sunken);
    setMinimumHeight(2);
    setMaximumHeight(2);
}

V_Line::V_Line(QWidget *parent)
    : QFrame(parent)
{
    markStyled(this);
    setFrameShape(QFrame::VLine);
    setFrameShadow(QFrame::Sunken);
    setMinimumWidth(2);
    setMaximumWidth(2);
}

StyledComboBox::StyledComboBox(QWidget *parent)
    : QComboBox(parent)
{
    markStyled(this);
    setView(new QListView(this));
}
