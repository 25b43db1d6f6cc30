#include "capture.h"

#include <cstring>
#include <foundation/gui/pause.h>

namespace zuv::recorder {

// The hidden object the device sends its messages to. Other events take
// the ordinary way.
class WaveCallbackWindow : public QObject
{
public:
    explicit WaveCallbackWindow(Capture& engine) : m_engine(engine) {}

    bool event(QEvent* event) override
    {
        if (event->type() != WaveMessage::eventType())
            return QObject::event(event);
        const auto* message = static_cast<WaveMessage*>(event);
        m_engine.WaveWindowProc(message->message(), message->header());
        return true;
    }

private:
    Capture& m_engine;
};

CaptureQuality captureQuality(int quality)
{
    switch (quality) {
    case 0:
        // 11025 × 1.5 rounded; the flags are still those of 11.025 kHz.
        return {16538, 8, WAVE_FORMAT_1M08 | WAVE_FORMAT_1S08, 24};
    case 1:
        return {22050, 8, WAVE_FORMAT_2M08 | WAVE_FORMAT_2S08, 32};
    case 3:
        return {44100, 16, WAVE_FORMAT_4M16 | WAVE_FORMAT_4S16, 128};
    case 2:
    default:
        return {44100, 8, WAVE_FORMAT_4M08 | WAVE_FORMAT_4S08, 128};
    }
}

WaveFormat captureFormat(int stereo, int quality)
{
    const CaptureQuality q = captureQuality(quality);
    WaveFormat format;
    format.wFormatTag = 1;
    format.nChannels = stereo != 0 ? 2 : 1;
    format.nSamplesPerSec = q.sampleRate;
    format.wBitsPerSample = q.bitsPerSample;
    format.nBlockAlign = quint16(format.wBitsPerSample * format.nChannels / 8);
    format.nAvgBytesPerSec = format.nBlockAlign * format.nSamplesPerSec;
    format.cbSize = 0;
    return format;
}

quint32 RoundUpToMultiple(quint32 value, quint32 step)
{
    if (step == 0 || value % step == 0)
        return value;
    return value + step - value % step;
}

Capture::Capture(CaptureSink& writer) : m_writer(writer) {}

Capture::~Capture()
{
    StopRecording();
}

QString Capture::GetWaveErrorText(MMRESULT code)
{
    // The device's texts are short; the designed buffer held 127 characters.
    QString text = waveInGetErrorText(code).left(127);
    const qsizetype zero = text.indexOf(QChar(0));
    return zero < 0 ? text : text.left(zero);
}

bool Capture::CreateWaveCallbackWindow()
{
    m_callbackWindow = new WaveCallbackWindow(*this);
    return !m_callbackWindow.isNull();
}

bool Capture::StartRecording(const QString& path, int stereo, int quality)
{
    WaveInCaps caps;
    if (const MMRESULT result = waveInGetDevCaps(0, &caps); result != MMSYSERR_NOERROR) {
        m_writer.setLastError(QStringLiteral("waveInGetDevCaps: ") + GetWaveErrorText(result));
        return false;
    }

    m_format = captureFormat(stereo, quality);
    const CaptureQuality q = captureQuality(quality);

    if ((caps.dwFormats & q.requiredFormats) == 0) {
        m_writer.setLastError(
            QStringLiteral("El dispositivo de grabación no soporta el foramto solicitado"));
        return false;
    }

    // On failure the writer has said why.
    if (!m_writer.OpenFileForWrite(path, m_format, q.mp3Bitrate))
        return false;
    m_outputOpen = true;

    if (!CreateWaveCallbackWindow()) {
        StopRecording();
        m_writer.setLastError(
            QStringLiteral("CreateWaveCallbackWindow: No se pudo crear la ventana"));
        return false;
    }

    const WaveInFormat deviceFormat = m_format;
    if (const MMRESULT result =
            waveInOpen(&m_hWaveIn, WAVE_MAPPER, &deviceFormat, m_callbackWindow.data());
        result != MMSYSERR_NOERROR) {
        m_hWaveIn = nullptr;
        StopRecording();
        m_writer.setLastError(QStringLiteral("waveInOpen: ") + GetWaveErrorText(result));
        return false;
    }

    // One second of sound, enlarged to whole encoder frames.
    m_bufferSize = RoundUpToMultiple(m_format.nAvgBytesPerSec, m_writer.FrameBytes());
    m_writer.reserveInput(m_bufferSize);
    for (quint32 i = 0; i < m_waveHeaders.size(); ++i) {
        m_bufferMemory[i] = std::make_unique<char[]>(m_bufferSize); // zero-filled
        WaveInHeader& header = m_waveHeaders[i];
        header = WaveInHeader{};
        header.lpData = m_bufferMemory[i].get();
        header.dwBufferLength = m_bufferSize;
        header.dwUser = i;
        header.dwFlags = 0;
        waveInPrepareHeader(m_hWaveIn, &header);
        waveInAddBuffer(m_hWaveIn, &header);
    }

    if (const MMRESULT result = waveInStart(m_hWaveIn); result != MMSYSERR_NOERROR) {
        StopRecording();
        m_writer.setLastError(QStringLiteral("waveInStart: ") + GetWaveErrorText(result));
        return false;
    }

    DoEvents();
    m_isRecording = true;
    return true;
}

void Capture::WaveWindowProc(quint32 message, WaveInHeader* finished)
{
    if (message != MM_WIM_DATA || !finished || finished->dwUser >= m_waveHeaders.size())
        return;
    WaveInHeader& header = m_waveHeaders[finished->dwUser];
    if (header.dwBytesRecorded == 0)
        return; // given back empty: the device is being reset
    m_writer.WriteCapturedBuffer(header);
    header.dwFlags = 0;
    std::memset(header.lpData, 0, header.dwBufferLength);
    waveInPrepareHeader(m_hWaveIn, &header);
    waveInAddBuffer(m_hWaveIn, &header);
}

void Capture::StopRecording()
{
    if (m_hWaveIn) {
        // Delivers the partly filled buffer, which is written.
        waveInStop(m_hWaveIn);
        DoEvents();
        // Every buffer comes back (empty) so that the device really closes.
        waveInReset(m_hWaveIn);
        if (waveInClose(m_hWaveIn) == MMSYSERR_NOERROR)
            m_hWaveIn = nullptr;
        DoEvents();
    }

    // Messages still on their way die with the window.
    delete m_callbackWindow.data();
    m_callbackWindow = nullptr;

    if (m_outputOpen) {
        m_writer.CloseOutputFile();
        m_outputOpen = false;
    }

    for (quint32 i = 0; i < m_waveHeaders.size(); ++i) {
        if (m_hWaveIn)
            waveInUnprepareHeader(m_hWaveIn, &m_waveHeaders[i]);
        m_waveHeaders[i] = WaveInHeader{};
        m_bufferMemory[i].reset();
    }
    m_hWaveIn = nullptr;
    m_isRecording = false;
}

} // namespace zuv::recorder
