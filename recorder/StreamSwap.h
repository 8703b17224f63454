#pragma once

#include "app/bc_ret.h"
#include "media/FrameEncoder.h"

#include <QObject>

#include <memory>

class AudioStream;
using AudioStreamSptr = std::shared_ptr<AudioStream>;
struct AssemblyCmd;
using AssemblyCmdSptr = std::shared_ptr<AssemblyCmd>;

// Switches a recording's audio and video to new segment files. Each side hands
// back the stream it stopped writing and reports done; once both have, swapped()
// is emitted and the swap deletes itself. Used on the GUI thread only.
class StreamSwap : public QObject
{
    Q_OBJECT
public:
    StreamSwap(const AudioStreamSptr &newAudio, const FrameEncoderSptr &newVideo, const AssemblyCmdSptr &command,
               bool final, const bc_ret &errors, QObject *parent = nullptr);

    AudioStreamSptr newAudio() const { return m_newAudio; }
    FrameEncoderSptr newVideo() const { return m_newVideo; }
    AssemblyCmdSptr command() const { return m_command; }
    bool isFinal() const { return m_final; }
    bc_ret errors() const { return m_errors; }
    AudioStreamSptr oldAudio() const { return m_oldAudio; }
    FrameEncoderSptr oldVideo() const { return m_oldVideo; }
    // When the new segment's first frame is taken (steady clock, ms; -1 until the
    // video side has decided): its sound starts at that instant too.
    qint64 startTime() const { return m_startTime; }
    void setStartTime(qint64 ms) { m_startTime = ms; }
    // The old segment's length on the recording's clock (ms; 0 when unknown).
    int oldLength() const { return m_oldLength; }
    void setOldLength(int ms) { m_oldLength = ms; }

    void setOldAudio(const AudioStreamSptr &stream) { m_oldAudio = stream; }
    void setOldVideo(const FrameEncoderSptr &stream) { m_oldVideo = stream; }
    void audioDone();
    void videoDone();

signals:
    void swapped(StreamSwap *swap);

private:
    void finishIfBothDone();

    AudioStreamSptr m_newAudio;
    FrameEncoderSptr m_newVideo;
    AssemblyCmdSptr m_command;
    bool m_final;
    bc_ret m_errors;
    AudioStreamSptr m_oldAudio;
    FrameEncoderSptr m_oldVideo;
    qint64 m_startTime = -1;
    int m_oldLength = 0;
    bool m_audioDone = false;
    bool m_videoDone = false;
};
