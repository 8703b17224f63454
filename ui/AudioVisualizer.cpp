#include "ui/AudioVisualizer.h"

#include "app/Log.h"
#include "media/AudioGraph.h"

#include <QPainter>
#include <QPainterPath>

QtBasicGraph::QtBasicGraph(QWidget *parent)
    : QWidget(parent)
{
    setMinimumHeight(40);
}

void QtBasicGraph::setValues(const QList<int> &values, int lower, int upper)
{
    m_values = values;
    m_lower = lower;
    m_upper = upper > lower ? upper : lower + 1;
    update();
}

void QtBasicGraph::clear()
{
    m_values.clear();
    update();
}

void QtBasicGraph::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect plot = plotRect();
    painter.fillRect(plot, QColor(30, 34, 40));
    if (m_values.isEmpty())
        return;
    // One point per value across the width, the lower bound on the bottom edge.
    const auto pointAt = [&](int i) {
        const qreal x = plot.left() + (m_values.size() > 1 ? qreal(plot.width() - 1) * i / (m_values.size() - 1) : 0);
        const int v = qBound(m_lower, m_values.at(i), m_upper);
        const qreal y = plot.bottom() - qreal(plot.height() - 1) * (v - m_lower) / (m_upper - m_lower);
        return QPointF(x, y);
    };
    QPainterPath curve(QPointF(plot.left(), plot.bottom()));
    for (int i = 0; i < m_values.size(); ++i)
        curve.lineTo(pointAt(i));
    curve.lineTo(QPointF(plot.right(), plot.bottom()));
    curve.closeSubpath();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(108, 180, 230), 1));
    painter.setBrush(QColor(60, 110, 150));
    painter.drawPath(curve);
}

AudioVisualizer::AudioVisualizer(QWidget *parent)
    : QtBasicGraph(parent)
{
    setObjectName(QStringLiteral("audioVisualizer"));
    m_queue.connectDequeued(this, &AudioVisualizer::onGraphBuilt);
    m_queue.start();
}

AudioVisualizer::~AudioVisualizer()
{
    m_queue.stop();
}

void AudioVisualizer::reset()
{
    m_position = 0;
    m_duration = 0;
    // An older curve still being built would only replace a newer one later.
    if (m_current)
        m_current->abort();
    m_current.reset();
    clear();
}

void AudioVisualizer::load(const QString &file)
{
    reset();
    m_current = std::make_shared<AudioGraphBuilder>(file);
    m_queue.queue(m_current);
}

void AudioVisualizer::onGraphBuilt(const AsyncTaskSptr &task, const bc_ret &result)
{
    if (task != m_current)
        return;
    m_current.reset();
    if (result.failed()) {
        logInfo(QStringLiteral("AudioVisualizer::onGraphBuilt: %1").arg(result.details(QStringLiteral("; "))));
        emit graphReady(false);
        return;
    }
    const auto *builder = static_cast<const AudioGraphBuilder *>(task.get());
    setValues(builder->values(), AudioGraphBuilder::kFloor, 0);
    emit graphReady(true);
}

int AudioVisualizer::lineX(qint64 position) const
{
    const QRect plot = plotRect();
    return plot.left() + int(qint64(plot.right() - plot.left() + 1) * position / m_duration);
}

void AudioVisualizer::setPosition(qint64 position, qint64 duration)
{
    const bool had = m_duration > 0;
    const int before = had ? lineX(m_position) : 0;
    m_position = position;
    m_duration = duration;
    if (m_duration <= 0 || !had) {
        update();
        return;
    }
    // Only the strip between the old line and the new one changes.
    const int now = lineX(m_position);
    update(QRect(QPoint(qMin(before, now) - 1, 0), QPoint(qMax(before, now) + 1, height())));
}

void AudioVisualizer::paintEvent(QPaintEvent *event)
{
    QtBasicGraph::paintEvent(event);
    if (m_duration <= 0)
        return;
    QPainter painter(this);
    painter.setPen(QColor(74, 255, 51));
    const int x = lineX(m_position);
    painter.drawLine(x, 0, x, plotRect().height());
}
