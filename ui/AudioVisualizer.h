#pragma once

#include "media/TaskQueue.h"

#include <QList>
#include <QWidget>

// A series of values drawn as a filled curve between a lower and an upper bound.
class QtBasicGraph : public QWidget
{
    Q_OBJECT
public:
    explicit QtBasicGraph(QWidget *parent = nullptr);

    void setValues(const QList<int> &values, int lower, int upper);
    void clear();
    const QList<int> &values() const { return m_values; }

protected:
    // Where the curve is drawn.
    QRect plotRect() const { return rect(); }
    void paintEvent(QPaintEvent *event) override;

private:
    QList<int> m_values;
    int m_lower = 0;
    int m_upper = 1;
};

// The loudness of a video's sound along its time line, built in the background,
// with a line where playing is.
class AudioVisualizer : public QtBasicGraph
{
    Q_OBJECT
public:
    explicit AudioVisualizer(QWidget *parent = nullptr);
    ~AudioVisualizer() override;

    // Starts building the curve of file; one still being built for an earlier file is dropped.
    void load(const QString &file);
    // No curve, no line, nothing being built.
    void reset();
    void setPosition(qint64 position, qint64 duration);
    qint64 position() const { return m_position; }

signals:
    // A curve is in place, or could not be made (tests wait for it).
    void graphReady(bool built);

private slots:
    void onGraphBuilt(const AsyncTaskSptr &task, const bc_ret &result);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int lineX(qint64 position) const;

    qint64 m_position = 0;
    qint64 m_duration = 0;
    TaskQueue m_queue;
    AsyncTaskSptr m_current;
};
