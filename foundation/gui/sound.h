#pragma once

#include <QString>

namespace zuv {

enum SoundFlags : unsigned
{
    SND_SYNC = 0x0,
    SND_ASYNC = 0x1, // return at once; the sound plays on
};

// Plays a WAV file (8- or 16-bit PCM) through PulseAudio. With SND_ASYNC the
// call returns at once and the sound plays on its own thread. False when the
// file is no such sound; a sound server that cannot be reached only means
// silence. When $ZUV_SOUND_LOG names a file nothing is played: each call
// appends the path there, one UTF-8 line. $ZUV_AUDIO_OUT=null keeps the
// sound server out of it as well.
bool sndPlaySoundA(const QString& path, unsigned flags);

} // namespace zuv
