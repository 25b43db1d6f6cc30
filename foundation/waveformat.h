#pragma once

#include <QtGlobal>

namespace zuv {

// The PCM format of a recording, field for field as a WAV header stores it
// (18 bytes with cbSize); the wave input opens its device with it and the
// recorder's writers store it.
struct WaveFormat
{
    quint16 wFormatTag = 1; // PCM
    quint16 nChannels = 2;
    quint32 nSamplesPerSec = 44100;
    quint32 nAvgBytesPerSec = 176400;
    quint16 nBlockAlign = 4;
    quint16 wBitsPerSample = 16;
    quint16 cbSize = 0;

    bool operator==(const WaveFormat&) const = default;
};

// One capture buffer: its memory, its length, how much the device filled,
// the buffer's own index and the device's flags.
struct WaveHeader
{
    char* lpData = nullptr;
    quint32 dwBufferLength = 0;
    quint32 dwBytesRecorded = 0;
    quintptr dwUser = 0;
    quint32 dwFlags = 0;
};

} // namespace zuv
