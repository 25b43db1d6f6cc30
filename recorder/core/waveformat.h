#pragma once

#include <QtGlobal>

namespace zuv::recorder {

// The PCM format of a recording, field for field as the WAV header stores
// it (18 bytes with cbSize).
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

// One capture buffer: its memory, its length and how much the device filled.
struct WaveHeader
{
    char* lpData = nullptr;
    quint32 dwBufferLength = 0;
    quint32 dwBytesRecorded = 0;
    quint32 dwUser = 0; // the buffer's own index, 0 or 1
};

} // namespace zuv::recorder
