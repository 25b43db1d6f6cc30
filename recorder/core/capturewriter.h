#pragma once

#include "capture.h"
#include "outputwriter.h"

namespace zuv::recorder {

// The file writers as the capture engine's output.
class CaptureWriter final : public CaptureSink
{
public:
    explicit CaptureWriter(OutputWriter& writer) : m_writer(writer) {}

    bool OpenFileForWrite(const QString& path, const WaveFormat& format, int mp3Bitrate) override
    {
        return m_writer.OpenFileForWrite(path, format, mp3Bitrate);
    }
    void WriteCapturedBuffer(const WaveHeader& header) override
    {
        m_writer.WriteCapturedBuffer(header);
    }
    void CloseOutputFile() override { m_writer.CloseOutputFile(); }
    quint32 FrameBytes() const override { return m_writer.frameBytes(); }
    void reserveInput(quint32 bytes) override { m_writer.reserveInput(bytes); }
    QString LastError() const override { return m_writer.lastError(); }
    void setLastError(const QString& text) override { m_writer.setLastError(text); }

private:
    OutputWriter& m_writer;
};

} // namespace zuv::recorder
