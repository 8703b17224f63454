#pragma once

#include "media/AudioFormat.h"

#include <QString>

#include <memory>

// What one recording's microphone capture uses. The device is a source of the
// audio server, named as the server names it.
struct AudioRecParams
{
    bool useDefaultDevice = true;
    QString deviceName;
    AudioFormatSptr format = std::make_shared<AudioFormat>();
    int levelPeriod = 2; // tenths of a second per level value
};
using AudioRecParamsSptr = std::shared_ptr<AudioRecParams>;
