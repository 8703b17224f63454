#include "recorder/StreamSwap.h"

StreamSwap::StreamSwap(const AudioStreamSptr &newAudio, const FrameEncoderSptr &newVideo, const AssemblyCmdSptr &command,
                       bool final, const bc_ret &errors, QObject *parent)
    : QObject(parent)
    , m_newAudio(newAudio)
    , m_newVideo(newVideo)
    , m_command(command)
    , m_final(final)
    , m_errors(errors)
{
}

void StreamSwap::audioDone()
{
    m_audioDone = true;
    finishIfBothDone();
}

void StreamSwap::videoDone()
{
    m_videoDone = true;
    finishIfBothDone();
}

void StreamSwap::finishIfBothDone()
{
    if (!m_audioDone || !m_videoDone)
        return;
    emit swapped(this);
    deleteLater();
}
