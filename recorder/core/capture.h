#pragma once

#include "waveformat.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <array>
#include <foundation/gui/wavein/wavein.h>
#include <memory>

namespace zuv::recorder {

// What the capture engine needs of the file writers: the output is opened
// for a format, takes every filled buffer and is finished at the end.
class CaptureSink
{
public:
    virtual ~CaptureSink() = default;
    virtual bool OpenFileForWrite(const QString& path, const WaveFormat& format,
                                  int mp3Bitrate) = 0;
    virtual void WriteCapturedBuffer(const WaveHeader& header) = 0;
    virtual void CloseOutputFile() = 0;
    // Buffer granularity of the open output: 1 for WAV, one encoder frame
    // for MP3.
    virtual quint32 FrameBytes() const = 0;
    // Lets the output make room for buffers of this size once.
    virtual void reserveInput(quint32 bytes) { Q_UNUSED(bytes); }
    // The message of the last failure, the writer's or the engine's; empty
    // after a WAV open.
    virtual QString LastError() const = 0;
    virtual void setLastError(const QString& text) = 0;
};

// What a quality index of the recording window stands for.
struct CaptureQuality
{
    quint32 sampleRate = 44100;
    quint16 bitsPerSample = 8;
    quint32 requiredFormats = 0; // device format flags, any one will do
    int mp3Bitrate = 128;        // kbit/s
};

CaptureQuality captureQuality(int quality);
WaveFormat captureFormat(int stereo, int quality);

// `value` when `step` divides it, else the next multiple of `step` above it.
quint32 RoundUpToMultiple(quint32 value, quint32 step);

class WaveCallbackWindow;

// Records the default wave input into the writer's output, two buffers of
// about one second circulating between the device and the writer. Everything
// happens on the UI thread; full buffers arrive as messages.
class Capture
{
public:
    explicit Capture(CaptureSink& writer);
    ~Capture();
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;

    // `path`'s extension chooses the writer; `stereo` non-zero gives two
    // channels. False with LastError() set when recording does not run.
    bool StartRecording(const QString& path, int stereo, int quality);
    // Writes what is pending, closes the output and frees everything; safe
    // at any time.
    void StopRecording();

    bool IsRecording() const { return m_isRecording; }
    QString LastError() const { return m_writer.LastError(); }

    bool CreateWaveCallbackWindow();
    static QString GetWaveErrorText(MMRESULT code);

    // The format and buffer length of the running (or last) recording.
    WaveFormat format() const { return m_format; }
    quint32 bufferSize() const { return m_bufferSize; }
    // Whether the callback window exists; it does only while recording.
    bool hasCallbackWindow() const { return !m_callbackWindow.isNull(); }

private:
    friend class WaveCallbackWindow;
    void WaveWindowProc(quint32 message, WaveInHeader* header);

    CaptureSink& m_writer;
    HWAVEIN m_hWaveIn = nullptr;
    std::array<WaveInHeader, 2> m_waveHeaders{};
    std::array<std::unique_ptr<char[]>, 2> m_bufferMemory;
    QPointer<QObject> m_callbackWindow;
    bool m_outputOpen = false;
    bool m_isRecording = false;
    WaveFormat m_format;
    quint32 m_bufferSize = 0;
};

} // namespace zuv::recorder
