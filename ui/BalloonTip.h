#pragma once

#include <QPainterPath>
#include <QPointer>
#include <QTimer>
#include <QWidget>

class QLabel;

// A speech-bubble tip whose arrow points at a spot of another window. It never takes
// the focus, follows the window it is attached to, and closes (and deletes itself)
// when clicked, when its time is up, or when that widget goes.
class BalloonTip : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kArrowHeight = 18;
    // From the balloon's nearer corner to the arrow's tip, along its edge.
    static constexpr int kArrowOffset = 18;

    // message: rich text. attached: the widget the balloon is about; may be null.
    BalloonTip(const QString &message, QWidget *attached);

    // Shows the balloon beside tip (global), on that point's screen, at most a third of
    // it wide, the arrow's tip on the point. After durationMs (never when 0 or less) it
    // closes unless the pointer is over it.
    void showAt(const QPoint &tip, int durationMs, bool arrow = true);
    QString text() const;

signals:
    // Once, when the balloon closes.
    void closed();

public slots:
    void onTimeout();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void fitLabel(int maxWidth);
    void setArrowSide(bool below, int arrowHeight);
    QPainterPath buildOutline(bool below, bool right, int arrowHeight) const;
    void applyMask();
    bool isUnderPointer() const;

    QLabel *m_label;
    QTimer m_timer;
    QPainterPath m_outline;
    QPointer<QWidget> m_attached;
    // The attached widget's window, and where its origin was last seen on the screen.
    QPointer<QWidget> m_followed;
    QPoint m_followedAt;
    // Only a compositing manager blends the rounded edges with what lies beneath.
    bool m_translucent;
    bool m_closed = false;
};
