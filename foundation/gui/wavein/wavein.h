#pragma once

#include <QEvent>
#include <QString>
#include <QtGlobal>
#include <foundation/waveformat.h>

class QObject;

namespace zuv {

// Wave input with the calls of the classic wave-input interface, on the
// PulseAudio simple API. A capture thread fills the queued buffers; each
// finished buffer reaches the callback object on the UI thread as a
// WaveMessage event (MM_WIM_DATA), in the order the buffers were queued.
//
// The device records the PulseAudio source named by $ZUV_WAVEIN_SOURCE, by
// default the monitor of the default output (what the computer plays).
// $ZUV_WAVEIN_FILE=x.wav makes the device play that PCM WAV file in real time
// instead, at the file's own format, and silence after its end.

using MMRESULT = quint32;

enum : MMRESULT
{
    MMSYSERR_NOERROR = 0,
    MMSYSERR_ERROR = 1,
    MMSYSERR_BADDEVICEID = 2,
    MMSYSERR_ALLOCATED = 4,
    MMSYSERR_INVALHANDLE = 5,
    MMSYSERR_NODRIVER = 6,
    MMSYSERR_NOMEM = 7,
    MMSYSERR_INVALPARAM = 11,
    WAVERR_BADFORMAT = 32,
    WAVERR_STILLPLAYING = 33,
    WAVERR_UNPREPARED = 34,
};

constexpr quint32 WAVE_MAPPER = 0xFFFFFFFFu;

// Format flags of the device capabilities: rate (1 = 11.025 kHz, 2 = 22.05,
// 4 = 44.1, 48, 96), mono or stereo, 8 or 16 bits.
enum : quint32
{
    WAVE_FORMAT_1M08 = 0x1,
    WAVE_FORMAT_1S08 = 0x2,
    WAVE_FORMAT_1M16 = 0x4,
    WAVE_FORMAT_1S16 = 0x8,
    WAVE_FORMAT_2M08 = 0x10,
    WAVE_FORMAT_2S08 = 0x20,
    WAVE_FORMAT_2M16 = 0x40,
    WAVE_FORMAT_2S16 = 0x80,
    WAVE_FORMAT_4M08 = 0x100,
    WAVE_FORMAT_4S08 = 0x200,
    WAVE_FORMAT_4M16 = 0x400,
    WAVE_FORMAT_4S16 = 0x800,
    WAVE_FORMAT_48M08 = 0x1000,
    WAVE_FORMAT_48S08 = 0x2000,
    WAVE_FORMAT_48M16 = 0x4000,
    WAVE_FORMAT_48S16 = 0x8000,
    WAVE_FORMAT_96M08 = 0x10000,
    WAVE_FORMAT_96S08 = 0x20000,
    WAVE_FORMAT_96M16 = 0x40000,
    WAVE_FORMAT_96S16 = 0x80000,
};

// Buffer header flags.
enum : quint32
{
    WHDR_DONE = 0x1,
    WHDR_PREPARED = 0x2,
    WHDR_INQUEUE = 0x10,
};

// Messages to the callback object.
enum : quint32
{
    MM_WIM_OPEN = 0x3BE,
    MM_WIM_CLOSE = 0x3BF,
    MM_WIM_DATA = 0x3C0,
};

using WaveInFormat = WaveFormat;
using WaveInHeader = WaveHeader;

struct WaveInCaps
{
    quint16 wMid = 0;
    quint16 wPid = 0;
    quint32 vDriverVersion = 0;
    QString szPname;
    quint32 dwFormats = 0;
    quint16 wChannels = 0;
};

// The message a device posts to its callback object. For MM_WIM_DATA,
// header() is the finished buffer, which belongs to the caller again.
class WaveMessage : public QEvent
{
public:
    WaveMessage(quint32 message, WaveInHeader* header)
        : QEvent(eventType()), m_message(message), m_header(header)
    {}
    static QEvent::Type eventType();

    quint32 message() const { return m_message; }
    WaveInHeader* header() const { return m_header; }

private:
    quint32 m_message;
    WaveInHeader* m_header;
};

class WaveInDevice;
using HWAVEIN = WaveInDevice*;

// There is one device, number 0; WAVE_MAPPER stands for it.
quint32 waveInGetNumDevs();
MMRESULT waveInGetDevCaps(quint32 deviceId, WaveInCaps* caps);

// Opens the device for `format`; messages go to `callback`, which must live on
// the calling (UI) thread and outlive the open device.
MMRESULT waveInOpen(HWAVEIN* handle, quint32 deviceId, const WaveInFormat* format,
                    QObject* callback);
MMRESULT waveInPrepareHeader(HWAVEIN handle, WaveInHeader* header);
MMRESULT waveInUnprepareHeader(HWAVEIN handle, WaveInHeader* header);
MMRESULT waveInAddBuffer(HWAVEIN handle, WaveInHeader* header);
MMRESULT waveInStart(HWAVEIN handle);
// Stops recording. The buffer being filled comes back at once with what it
// holds; its message is posted before this returns. Empty buffers stay queued.
MMRESULT waveInStop(HWAVEIN handle);
// Stops recording and gives every queued buffer back.
MMRESULT waveInReset(HWAVEIN handle);
// WAVERR_STILLPLAYING while buffers are queued; otherwise frees the handle.
MMRESULT waveInClose(HWAVEIN handle);

// A short text for an MMRESULT.
QString waveInGetErrorText(MMRESULT code);

} // namespace zuv
