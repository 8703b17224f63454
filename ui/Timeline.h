#pragma once

#include <QSlider>
#include <QWidget>

// A slider that reports a move only once the value is where the user put it, inside
// limits narrower than its range (an end marker never goes before the beginning);
// a click beside the handle jumps there, the arrow keys step.
class PlayerSlider : public QSlider
{
    Q_OBJECT
public:
    PlayerSlider(Qt::Orientation orientation, QWidget *parent);

    void setLowLimit(int limit) { m_lowLimit = limit; }
    void setHighLimit(int limit) { m_highLimit = limit; }
    bool isMoving() const { return m_moving; }
    // Where the handle is drawn.
    QRect handleRect() const;
    // Style sheets with and without the keyboard focus.
    void setStyleSheets(const QString &normal, const QString &focused);

signals:
    void sliderStartMoving();
    void reallyMoved(int value);
    void sliderStopMoving();

public slots:
    void tryMoveTo(int value);
    void onRangeChanged(int minimum, int maximum);

protected:
    // The value under a point of the slider.
    virtual int valueAt(const QPoint &point) const = 0;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void stopMoving();

    bool m_moving = false;
    int m_lowLimit = 0;
    int m_highLimit = 0;
    QString m_normalStyle;
    QString m_focusStyle;
};

class HPlayerSlider : public PlayerSlider
{
    Q_OBJECT
public:
    explicit HPlayerSlider(QWidget *parent = nullptr)
        : PlayerSlider(Qt::Horizontal, parent)
    {
    }

protected:
    int valueAt(const QPoint &point) const override;
};

class VPlayerSlider : public PlayerSlider
{
    Q_OBJECT
public:
    explicit VPlayerSlider(QWidget *parent = nullptr)
        : PlayerSlider(Qt::Vertical, parent)
    {
    }

protected:
    int valueAt(const QPoint &point) const override;
};

// The video's time line: where the hand begins, where playing is, where the hand
// ends. Slider steps are milliseconds for videos up to two hours; longer ones are
// spread over as many steps.
class Timeline : public QWidget
{
    Q_OBJECT
public:
    static constexpr qint64 kMaxSteps = 7200000;

    explicit Timeline(QWidget *parent = nullptr);

    // A new video: both markers at its ends, playing at its start.
    void setDuration(qint64 ms);
    qint64 duration() const { return m_duration; }
    int scale() const { return int(m_scale); }
    qint64 timeOf(int value) const;
    int valueOf(qint64 ms) const;

    qint64 beginTime() const;
    qint64 endTime() const;
    qint64 markedDuration() const { return endTime() - beginTime(); }
    // Where playing is, as the player says; no signal.
    void setSeekTime(qint64 ms);
    // Both markers back at the video's ends.
    void resetMarkers();

    PlayerSlider *beginMarker() const { return m_begin; }
    PlayerSlider *seekSlider() const { return m_seek; }
    PlayerSlider *endMarker() const { return m_end; }

signals:
    void seekSliderStartMoving();
    void seekSliderMoved(qint64 ms);
    void seekSliderStopMoving();
    void beginSliderMoved(qint64 ms);
    void endSliderMoved(qint64 ms);

private slots:
    void onBeginMoved(int value);
    void onEndMoved(int value);
    void onSeekMoved(int value);

private:
    PlayerSlider *slider(const QString &name, const QString &image, const QString &toolTip);

    PlayerSlider *m_begin;
    PlayerSlider *m_seek;
    PlayerSlider *m_end;
    qint64 m_duration = 0;
    qint64 m_scale = 0;
};
