#pragma once

#include "waveformat.h"

#include <QFile>
#include <QString>
#include <foundation/gui/mp3/mp3encoder.h>
#include <vector>

namespace zuv::recorder {

// Writes a recording to an MP3 or a WAV file while it is captured, one
// capture buffer at a time. At most one output is open at a time.
//
// The capture engine uses it as follows: OpenFileForWrite() once per
// recording, then it sizes its buffers with frameBytes() (a whole number of
// MP3 frames per buffer) and may call reserveInput() with that size; every
// filled buffer goes to WriteCapturedBuffer(); CloseOutputFile() ends the
// recording, also after a failed open. lastError() is the message the
// recording window shows; the engine records its own failures with
// setLastError().
class OutputWriter
{
public:
    OutputWriter();
    ~OutputWriter();
    OutputWriter(const OutputWriter&) = delete;
    OutputWriter& operator=(const OutputWriter&) = delete;

    // The extension (from the last "." on, letter case aside) chooses the
    // writer: ".wav", ".mp3" or ".mpga". Any other fails with
    // "OpenFileForWrite: Extension de archivo no soportada". An output still
    // open is closed first. A failed open leaves no file of its making.
    bool OpenFileForWrite(const QString& path, const WaveFormat& format, int mp3Bitrate);
    // Sets the encoder up for the format and creates the file; FrameBytes
    // becomes samples per frame × nBlockAlign.
    bool OpenMp3FileForWrite(const QString& path, const WaveFormat& format, int bitrate);
    // Creates the file with a header whose sizes stay 0 until the close;
    // FrameBytes becomes 1 and LastError empty.
    bool OpenWavFileForWrite(const QString& path, const WaveFormat& format);

    // Writes the first dwBytesRecorded bytes of the buffer. For MP3 a last
    // part shorter than a frame is completed with silence.
    void WriteCapturedBuffer(const WaveHeader& header);

    // Finishes the open output (the encoder's rest, or the WAV pad byte and
    // sizes). Does nothing when nothing is open.
    void CloseOutputFile();

    // Makes room for buffers of this size once, so that no capture buffer
    // allocates.
    void reserveInput(quint32 bytes);

    bool isMp3() const { return IsMp3; }
    bool isOpen() const { return m_mp3Open || WavFile.isOpen(); }
    quint32 frameBytes() const { return FrameBytes; }
    quint32 mp3ReadPos() const { return Mp3ReadPos; }
    quint32 wavDataBytes() const { return WavDataBytes; }
    const QString& lastError() const { return LastError; }
    void setLastError(const QString& text) { LastError = text; }

private:
    int Mp3UserFunction(char* destination, int count);
    void CloseMp3File();
    void CloseWavFile();

    bool IsMp3 = false;
    quint32 FrameBytes = 1;
    // Copy of the buffer being encoded. Its size is the captured byte count;
    // its capacity is kept between buffers.
    std::vector<char> Mp3Input;
    quint32 Mp3ReadPos = 0;
    QFile WavFile;
    qint64 WavDataChunkPos = 0;
    quint32 WavDataBytes = 0;
    QString LastError;

    Mp3Encoder m_encoder;
    bool m_mp3Open = false;
    // Silence for the completion of a last frame: 0x80 for 8-bit PCM.
    char m_silence = 0;
};

} // namespace zuv::recorder
