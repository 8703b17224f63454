#include "ui/BalloonTip.h"

#include "app/Log.h"
#include "platform/DesktopWindows.h"

#include <QBitmap>
#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QToolTip>

namespace {

constexpr int kRadius = 7;
constexpr int kMargin = 6;

} // namespace

// A tool tip window: not managed by a window manager (override-redirect on X11), so no
// window manager hands it the focus, and Qt does not activate it either.
BalloonTip::BalloonTip(const QString &message, QWidget *attached)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus)
    , m_timer(this)
    , m_attached(attached)
    , m_translucent(desktop::isCompositionEnabled())
{
    setObjectName(QStringLiteral("BalloonTip"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_DeleteOnClose);
    // Without a compositor a translucent window shows black where it is not painted:
    // it is painted opaque then, and the mask keeps the corners out.
    if (m_translucent)
        setAttribute(Qt::WA_TranslucentBackground);
    setPalette(QToolTip::palette());
    setCursor(Qt::PointingHandCursor);

    m_label = new QLabel(message, this);
    m_label->setObjectName(QStringLiteral("lblMessage"));
    m_label->setTextFormat(Qt::RichText);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_label->setForegroundRole(QPalette::ToolTipText);
    auto *row = new QHBoxLayout(this);
    row->addWidget(m_label);
    row->setSizeConstraint(QLayout::SetFixedSize);
    setArrowSide(true, kArrowHeight);

    m_timer.setObjectName(QStringLiteral("closeTimer"));
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &BalloonTip::onTimeout);
    if (attached) {
        connect(attached, &QObject::destroyed, this, &QWidget::close);
        m_followed = attached->window();
        m_followedAt = m_followed->mapToGlobal(QPoint(0, 0));
        m_followed->installEventFilter(this);
    }
}

QString BalloonTip::text() const
{
    return m_label->text();
}

void BalloonTip::fitLabel(int maxWidth)
{
    m_label->setWordWrap(false);
    m_label->setMinimumSize(0, 0);
    m_label->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (m_label->sizeHint().width() > maxWidth) {
        m_label->setWordWrap(true);
        m_label->setFixedSize(maxWidth, m_label->heightForWidth(maxWidth));
    }
}

// Room for the arrow above or below the text; the layout fixes the size at once.
void BalloonTip::setArrowSide(bool below, int arrowHeight)
{
    layout()->setContentsMargins(kMargin, kMargin + (below ? arrowHeight : 0), kMargin,
                                 kMargin + (below ? 0 : arrowHeight));
    layout()->invalidate();
    layout()->activate();
}

void BalloonTip::showAt(const QPoint &tip, int durationMs, bool arrow)
{
    QScreen *screen = QGuiApplication::screenAt(tip);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen->geometry();
    const int arrowHeight = arrow ? kArrowHeight : 0;
    fitLabel(screen->availableGeometry().width() / 3 - 2 * kMargin);
    setArrowSide(true, arrowHeight);

    // Below and to the right of the point when there is room, else above or to the left.
    const bool below = tip.y() + height() <= area.bottom() + 1;
    const bool right = tip.x() - kArrowOffset + width() <= area.right() + 1;
    setArrowSide(below, arrowHeight);
    m_outline = buildOutline(below, right, arrowHeight);
    applyMask();
    const QPoint tipInside(right ? kArrowOffset : width() - 1 - kArrowOffset, below ? 0 : height() - 1);
    move(tip - tipInside);
    if (m_followed)
        m_followedAt = m_followed->mapToGlobal(QPoint(0, 0));

    if (durationMs > 0)
        m_timer.start(durationMs);
    show();
    update();
}

// A rounded box and, on the side of the point, a right-angled arrow whose upright edge
// stands kArrowOffset in from the nearer corner and ends in the tip.
QPainterPath BalloonTip::buildOutline(bool below, bool right, int arrowHeight) const
{
    const int w = width() - 1;
    const int h = height() - 1;
    const int top = below ? arrowHeight : 0;
    const int bottom = below ? h : h - arrowHeight;
    QPainterPath box;
    box.addRoundedRect(QRectF(0, top, w, bottom - top), kRadius, kRadius);
    if (arrowHeight <= 0)
        return box;
    const qreal x = right ? kArrowOffset : w - kArrowOffset;
    // Aliased lines leave out their lowest pixel: pointing down, the tip goes one further.
    const qreal tipY = below ? 0 : h + 1;
    // The base reaches a little into the box so that the two join without a seam.
    const qreal baseY = below ? top + 2 : bottom - 2;
    const qreal baseX = x + (right ? 1 : -1) * (arrowHeight + 2);
    QPainterPath arrowPath;
    arrowPath.moveTo(x, tipY);
    arrowPath.lineTo(x, baseY);
    arrowPath.lineTo(baseX, baseY);
    arrowPath.closeSubpath();
    return box.united(arrowPath);
}

// Drawn the way paintEvent draws the bubble, so that exactly the bubble is shown.
void BalloonTip::applyMask()
{
    QBitmap bitmap(size());
    bitmap.fill(Qt::color0);
    QPainter painter(&bitmap);
    painter.setPen(QPen(Qt::color1, 1));
    painter.setBrush(Qt::color1);
    painter.drawPath(m_outline);
    painter.end();
    setMask(bitmap);
}

void BalloonTip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_translucent) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(0.5, 0.5);
    }
    painter.setPen(QPen(palette().color(QPalette::ToolTipText), 1));
    painter.setBrush(palette().color(QPalette::ToolTipBase));
    painter.drawPath(m_outline);
}

bool BalloonTip::isUnderPointer() const
{
    const QPoint at = mapFromGlobal(QCursor::pos());
    return rect().contains(at) && (mask().isEmpty() || mask().contains(at));
}

void BalloonTip::onTimeout()
{
    // The user is reading it: it stays until clicked.
    if (isUnderPointer())
        return;
    m_timer.stop();
    close();
}

void BalloonTip::mousePressEvent(QMouseEvent *)
{
    close();
}

void BalloonTip::closeEvent(QCloseEvent *event)
{
    m_timer.stop();
    if (!m_closed) {
        m_closed = true;
        emit closed();
    }
    QWidget::closeEvent(event);
}

bool BalloonTip::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_followed && event->type() == QEvent::Move) {
        if (!m_followed->isWindow()) {
            logDebug(QStringLiteral("BalloonTip: the attached widget has no window to follow"));
        } else {
            const QPoint at = m_followed->mapToGlobal(QPoint(0, 0));
            move(pos() + at - m_followedAt);
            m_followedAt = at;
        }
    }
    return QWidget::eventFilter(watched, event);
}
