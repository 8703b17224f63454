#pragma once

#include "app/bc_ret.h"

#include <QObject>
#include <QStringList>
#include <QWidget>

class QWindow;
class VideoPlayerWindow;
struct mpv_handle;

// Plays one video file inside its window: open, run, pause, stop, seek to a
// millisecond, position, duration, volume in percent.
class VideoPlayer : public QObject
{
    Q_OBJECT
public:
    explicit VideoPlayer(VideoPlayerWindow *window);

    // Names the player in the log ("MpvPlayer (x11)").
    virtual QString name() const = 0;
    virtual bc_ret open(const QString &file) = 0;
    virtual void close() = 0;
    virtual bc_ret run() = 0;
    virtual bc_ret pause() = 0;
    // Pauses at the start.
    virtual bc_ret stop() = 0;
    // Milliseconds.
    virtual qint64 position() const = 0;
    virtual void seek(qint64 ms) = 0;
    // The picture at ms, also while paused.
    virtual void showFrameAt(qint64 ms) = 0;
    // 0 is silent, 100 the file's own loudness.
    virtual void setVolume(int percent) = 0;
    virtual int volume() const = 0;
    qint64 duration() const { return m_duration; }
    QString fileName() const { return m_fileName; }

signals:
    void running();
    void paused();
    // The end of the file was reached, or playing failed.
    void stopped();

protected:
    VideoPlayerWindow *m_window;
    qint64 m_duration = 0;
    QString m_fileName;
};

// libmpv drawing into the window's native window with one video output.
class MpvPlayer : public VideoPlayer
{
    Q_OBJECT
public:
    MpvPlayer(VideoPlayerWindow *window, const QString &videoOutput, const QString &audioOutput);
    ~MpvPlayer() override;

    QString name() const override;
    bc_ret open(const QString &file) override;
    void close() override;
    bc_ret run() override;
    bc_ret pause() override;
    bc_ret stop() override;
    qint64 position() const override;
    void seek(qint64 ms) override;
    void showFrameAt(qint64 ms) override { seek(ms); }
    void setVolume(int percent) override;
    int volume() const override;

private slots:
    // Whatever libmpv has to say, on the GUI thread.
    void onEvents();

private:
    bc_ret create();
    // Until the file plays with a picture, or fails; false with the reason.
    bool waitUntilShown(QString &why);
    bc_ret setPaused(bool paused, const char *context);

    QString m_videoOutput;
    QString m_audioOutput;
    mpv_handle *m_mpv = nullptr;
    mutable qint64 m_lastPosition = 0;
};

// Where the video shows. Opens a file with the first player that can play it.
class VideoPlayerWindow : public QWidget
{
    Q_OBJECT
public:
    explicit VideoPlayerWindow(QWidget *parent = nullptr);
    ~VideoPlayerWindow() override;

    // The outputs tried in turn: a hardware-accelerated one first, then software.
    void setOutputs(const QStringList &videoOutputs, const QString &audioOutput = QString());
    // The player that opened the file, or null. errors collects "Error trying %1" for
    // every player that could not, also when a later one could.
    VideoPlayer *open(const QString &file, bc_ret &errors);
    VideoPlayer *player() const { return m_player; }
    void closePlayer();
    // Shown in place of a picture (a file nobody could play); empty for none.
    void setMessage(const QString &text);
    // The native window the player draws into.
    WId nativeWindow();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ensureSurface();

    VideoPlayer *m_player = nullptr;
    // The native window the player draws into, held in a container so that Qt's own
    // painting (which may go through OpenGL for the service's pages) leaves it alone.
    QWindow *m_surface = nullptr;
    QWidget *m_container = nullptr;
    QStringList m_videoOutputs;
    QString m_audioOutput;
    QString m_message;
};
