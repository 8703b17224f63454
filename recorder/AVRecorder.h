#pragma once

#include "app/bc_ret.h"
#include "capture/CaptureParams.h"
#include "media/AVAssembler.h"
#include "recorder/AudioRecorder.h"
#include "recorder/VideoRecorder.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

// How one recording keeps its segments: the kept duration and where segment
// files go (the user's "tmp" directory).
struct AVRecParams
{
    int maxRecordedDuration = 3600000; // milliseconds
    QString directory;
    int room = -1; // the poker room of the table recorded, kept with the segments
};
using AVRecParamsSptr = std::shared_ptr<AVRecParams>;

// One recording of one target with sound, cut into segments of the kept length so
// that only the last minutes are ever on disk; saved on request while recording
// goes on, or when stopping.
class AVRecorder : public QObject
{
    Q_OBJECT
public:
    AVRecorder(const AudioRecParamsSptr &audio, const VideoRecParamsSptr &video, const AVRecParamsSptr &recording,
               QObject *parent = nullptr);
    ~AVRecorder() override;

    bc_ret start();
    // While running: the kept segments are assembled with cmd; recording goes on.
    bc_ret save(const AssemblyCmdSptr &cmd);
    // Ends the recording; cmd, when given, saves the kept minutes; result is reported in stopped().
    void stop(const bc_ret &result, const AssemblyCmdSptr &cmd);
    // Ends at once without signals (the program is ending): the kept minutes stay
    // with their description, to be offered for saving at the next start.
    void abort();

    enum State { Created = 0, Running = 1, Stopping = 2 };
    State state() const { return m_state; }
    const AVUnitList &units() const { return m_units; }
    // Tests: the video side, to make its grabs fail.
    VideoRecorder &videoRecorder() { return m_video.recorder(); }

signals:
    // A failure to write also says, in words, what was kept.
    void stopped(const bc_ret &result);
    void volume(int level);
    // The sound server went away (text for the user) and came back.
    void soundLost(const QString &text);
    void soundBack();
    // Nothing but black has been recorded for a while although the target is shown
    // (text for the user): once per recording.
    void pictureBlack(const QString &text);

public slots:
    void setMuted(bool muted);
    void setPaused(bool paused);
    void timerSwap();
    void onVideoRecorderError(const bc_ret &result);
    void onAudioRecorderError(const bc_ret &result);
    void onWriteFailed(const bc_ret &result);
    void onSoundLost(const bc_ret &reason);
    void onStreamSwapped(StreamSwap *swap);

private:
    bc_ret swapStreams(const AssemblyCmdSptr &cmd);
    void handOver(StreamSwap *swap);
    // length: the segment's recorded length; 0 takes the video's own.
    void finishSegment(const AudioStreamSptr &audio, const FrameEncoderSptr &video, int length);
    // Describes the finished segments and the one being written, for a recovery after a crash.
    void writeManifest(const StreamSwap *swap);
    void removeManifest();
    // Leaves the segments on disk, described for a recovery.
    void keepForRecovery();
    int keptMinutes() const;

    AudioRecParamsSptr m_audioParams;
    VideoRecParamsSptr m_videoParams;
    AVRecParamsSptr m_params;
    AudioRecorder m_audio;
    VideoRecorderThread m_video;
    AVUnitList m_units;
    QString m_manifestFile;
    QTimer m_swapTimer;
    State m_state = Created;
    bool m_keepOnStop = false;
};
