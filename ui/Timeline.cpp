#include "ui/Timeline.h"

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QVBoxLayout>

PlayerSlider::PlayerSlider(Qt::Orientation orientation, QWidget *parent)
    : QSlider(orientation, parent)
    , m_lowLimit(minimum())
    , m_highLimit(maximum())
{
    setTracking(false);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QAbstractSlider::sliderMoved, this, &PlayerSlider::tryMoveTo);
    connect(this, &QAbstractSlider::rangeChanged, this, &PlayerSlider::onRangeChanged);
}

void PlayerSlider::setStyleSheets(const QString &normal, const QString &focused)
{
    m_normalStyle = normal;
    m_focusStyle = focused;
    setStyleSheet(hasFocus() && !focused.isEmpty() ? focused : normal);
}

void PlayerSlider::tryMoveTo(int value)
{
    const int allowed = qBound(m_lowLimit, value, qMax(m_lowLimit, m_highLimit));
    setValue(allowed);
    if (!m_moving) {
        m_moving = true;
        emit sliderStartMoving();
    }
    emit reallyMoved(allowed);
}

void PlayerSlider::onRangeChanged(int minimum, int maximum)
{
    m_lowLimit = minimum;
    m_highLimit = maximum;
}

void PlayerSlider::stopMoving()
{
    if (m_moving) {
        m_moving = false;
        emit sliderStopMoving();
    }
}

QRect PlayerSlider::handleRect() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
}

void PlayerSlider::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        if (!handleRect().contains(event->position().toPoint())) {
            // Beside the handle: straight there, not a page at a time.
            tryMoveTo(valueAt(event->position().toPoint()));
            event->accept();
            return;
        }
    }
    QSlider::mousePressEvent(event);
}

void PlayerSlider::mouseReleaseEvent(QMouseEvent *event)
{
    QSlider::mouseReleaseEvent(event);
    // Without tracking the base takes the dragged position at release, limits or not.
    if (value() < m_lowLimit || value() > qMax(m_lowLimit, m_highLimit))
        setValue(qBound(m_lowLimit, value(), qMax(m_lowLimit, m_highLimit)));
    if (event->button() == Qt::LeftButton)
        stopMoving();
}

void PlayerSlider::keyPressEvent(QKeyEvent *event)
{
    const bool back = event->key() == Qt::Key_Left || (orientation() == Qt::Vertical && event->key() == Qt::Key_Down);
    const bool forward = event->key() == Qt::Key_Right || (orientation() == Qt::Vertical && event->key() == Qt::Key_Up);
    if (!back && !forward) {
        QSlider::keyPressEvent(event);
        return;
    }
    tryMoveTo(value() + (forward ? singleStep() : -singleStep()));
    // A key press is a whole move by itself.
    stopMoving();
    event->accept();
}

void PlayerSlider::focusInEvent(QFocusEvent *event)
{
    if (!m_focusStyle.isEmpty())
        setStyleSheet(m_focusStyle);
    QSlider::focusInEvent(event);
}

void PlayerSlider::focusOutEvent(QFocusEvent *event)
{
    if (!m_normalStyle.isEmpty())
        setStyleSheet(m_normalStyle);
    QSlider::focusOutEvent(event);
}

int HPlayerSlider::valueAt(const QPoint &point) const
{
    return QStyle::sliderValueFromPosition(minimum(), maximum(), point.x(), qMax(1, width() - 1), invertedAppearance());
}

int VPlayerSlider::valueAt(const QPoint &point) const
{
    // Vertical sliders grow upwards.
    return QStyle::sliderValueFromPosition(minimum(), maximum(), point.y(), qMax(1, height() - 1), !invertedAppearance());
}

Timeline::Timeline(QWidget *parent)
    : QWidget(parent)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_begin = slider(QStringLiteral("sldBeginMarker"), QStringLiteral("sld_begin"), tr("Beginning of your hand"));
    m_seek = slider(QStringLiteral("sldSeek"), QStringLiteral("sld_bi_arrow"), QString());
    m_end = slider(QStringLiteral("sldEndMarker"), QStringLiteral("sld_end"), tr("End of your hand"));
    for (PlayerSlider *s : {m_begin, m_seek, m_end})
        column->addWidget(s);
    connect(m_begin, &PlayerSlider::reallyMoved, this, &Timeline::onBeginMoved);
    connect(m_end, &PlayerSlider::reallyMoved, this, &Timeline::onEndMoved);
    connect(m_seek, &PlayerSlider::reallyMoved, this, &Timeline::onSeekMoved);
    connect(m_seek, &PlayerSlider::sliderStartMoving, this, &Timeline::seekSliderStartMoving);
    connect(m_seek, &PlayerSlider::sliderStopMoving, this, &Timeline::seekSliderStopMoving);
    setDuration(0);
}

PlayerSlider *Timeline::slider(const QString &name, const QString &image, const QString &toolTip)
{
    auto *s = new HPlayerSlider(this);
    s->setObjectName(name);
    s->setToolTip(toolTip);
    // The handle is as large as its picture in both looks: a styled groove would
    // otherwise shrink it to a sliver.
    const QSize picture = QImage(QStringLiteral(":/images/%1.png").arg(image)).size();
    const QString handle = QStringLiteral("QSlider::handle:horizontal {image: url(:/images/%1.png); width: %2px; height: %3px;"
                                          " margin: -%4px 0;}"
                                          "QSlider::handle:horizontal:hover {image: url(:/images/%1_hover.png);}")
                                   .arg(image).arg(picture.width()).arg(picture.height()).arg((picture.height() - 4) / 2);
    const QString groove =
            QStringLiteral("QSlider::groove:horizontal {border: 1px solid %1; height: 4px; background: #c4c4c4; border-radius: 2px;}");
    s->setMinimumHeight(picture.height());
    // With the keyboard focus the groove is outlined: arrow keys move this one.
    s->setStyleSheets(handle + groove.arg(QLatin1String("#b0b0b0")), handle + groove.arg(QLatin1String("#6CE937")));
    return s;
}

void Timeline::setDuration(qint64 ms)
{
    for (PlayerSlider *s : {m_begin, m_seek, m_end}) {
        s->setMinimum(0);
        s->setValue(0);
        s->setMaximum(0);
        s->setSingleStep(1000);
    }
    m_duration = qMax<qint64>(0, ms);
    m_scale = qMin(m_duration, kMaxSteps);
    for (PlayerSlider *s : {m_begin, m_seek, m_end})
        s->setMaximum(int(m_scale));
    m_end->setValue(int(m_scale));
}

qint64 Timeline::timeOf(int value) const
{
    return m_scale > 0 ? m_duration * value / m_scale : 0;
}

int Timeline::valueOf(qint64 ms) const
{
    return m_duration > 0 ? int(m_scale * ms / m_duration) : 0;
}

qint64 Timeline::beginTime() const
{
    return timeOf(m_begin->value());
}

qint64 Timeline::endTime() const
{
    return timeOf(m_end->value());
}

void Timeline::setSeekTime(qint64 ms)
{
    if (!m_seek->isMoving())
        m_seek->setValue(valueOf(ms));
}

void Timeline::resetMarkers()
{
    m_begin->setValue(0);
    m_end->setValue(int(m_scale));
    m_begin->setHighLimit(int(m_scale));
    m_end->setLowLimit(0);
}

void Timeline::onBeginMoved(int value)
{
    if (m_duration <= 0)
        return;
    m_end->setLowLimit(value);
    m_seek->setValue(value);
    emit beginSliderMoved(timeOf(value));
}

void Timeline::onEndMoved(int value)
{
    if (m_duration <= 0)
        return;
    m_begin->setHighLimit(value);
    m_seek->setValue(value);
    emit endSliderMoved(timeOf(value));
}

void Timeline::onSeekMoved(int value)
{
    emit seekSliderMoved(timeOf(value));
}
