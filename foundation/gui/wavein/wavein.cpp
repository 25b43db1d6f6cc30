#include "wavein.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QtEndian>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <pulse/error.h>
#include <pulse/simple.h>
#include <set>
#include <thread>
#include <vector>

namespace zuv {
namespace {

using Clock = std::chrono::steady_clock;

constexpr quint32 kAllFormats = 0xFFFFF;
constexpr const char* kDefaultSource = "@DEFAULT_MONITOR@";

// The header of a PCM WAV file played as the device.
struct WaveFileLayout
{
    WaveInFormat format;
    qint64 dataOffset = 0;
    qint64 dataBytes = 0;
};

QString fileSourcePath()
{
    return qEnvironmentVariable("ZUV_WAVEIN_FILE");
}

QByteArray pulseSourceName()
{
    const QByteArray name = qgetenv("ZUV_WAVEIN_SOURCE");
    return name.isEmpty() ? QByteArray(kDefaultSource) : name;
}

bool plausible(const WaveInFormat& f)
{
    return f.wFormatTag == 1 && (f.nChannels == 1 || f.nChannels == 2) &&
           (f.wBitsPerSample == 8 || f.wBitsPerSample == 16) && f.nSamplesPerSec >= 1000 &&
           f.nSamplesPerSec <= 192000 && f.nBlockAlign == f.nChannels * f.wBitsPerSample / 8 &&
           f.nAvgBytesPerSec == quint32(f.nBlockAlign) * f.nSamplesPerSec;
}

// Why a file cannot be played, as the code waveInOpen returns.
std::optional<WaveFileLayout> readLayout(QFile& file, MMRESULT* why)
{
    if (!file.open(QIODevice::ReadOnly)) {
        *why = MMSYSERR_NODRIVER;
        return std::nullopt;
    }
    *why = MMSYSERR_ERROR;
    const QByteArray riff = file.read(12);
    if (riff.size() < 12 || !riff.startsWith("RIFF") || riff.mid(8, 4) != "WAVE")
        return std::nullopt;
    WaveFileLayout layout;
    bool haveFormat = false;
    qint64 at = 12;
    while (at + 8 <= file.size()) {
        if (!file.seek(at))
            return std::nullopt;
        const QByteArray chunk = file.read(8);
        if (chunk.size() < 8)
            return std::nullopt;
        const qint64 size = qFromLittleEndian<quint32>(chunk.constData() + 4);
        const qint64 body = at + 8;
        if (chunk.startsWith("fmt ")) {
            const QByteArray f = file.read(16);
            if (size < 16 || f.size() < 16)
                return std::nullopt;
            const char* p = f.constData();
            layout.format.wFormatTag = qFromLittleEndian<quint16>(p);
            layout.format.nChannels = qFromLittleEndian<quint16>(p + 2);
            layout.format.nSamplesPerSec = qFromLittleEndian<quint32>(p + 4);
            layout.format.nAvgBytesPerSec = qFromLittleEndian<quint32>(p + 8);
            layout.format.nBlockAlign = qFromLittleEndian<quint16>(p + 12);
            layout.format.wBitsPerSample = qFromLittleEndian<quint16>(p + 14);
            if (!plausible(layout.format))
                return std::nullopt;
            haveFormat = true;
        } else if (chunk.startsWith("data")) {
            // A data chunk cut short means a damaged file, not a short sound.
            if (!haveFormat || body + size > file.size())
                return std::nullopt;
            layout.dataOffset = body;
            layout.dataBytes = size - size % layout.format.nBlockAlign;
            *why = MMSYSERR_NOERROR;
            return layout;
        }
        at = body + size + (size & 1);
    }
    return std::nullopt;
}

quint32 formatFlags(const WaveInFormat& f)
{
    // Bit 0 of each group of four is mono 8-bit; stereo adds 1, 16-bit adds 2.
    const quint32 variant = (f.nChannels == 2 ? 1u : 0u) + (f.wBitsPerSample == 16 ? 2u : 0u);
    quint32 flags = 0;
    for (int rate = 0; rate < 5; ++rate)
        flags |= 1u << (rate * 4 + variant);
    return flags;
}

MMRESULT fromPulseError(int error)
{
    switch (error) {
    case PA_ERR_CONNECTIONREFUSED:
    case PA_ERR_INVALIDSERVER:
    case PA_ERR_CONNECTIONTERMINATED:
    case PA_ERR_ACCESS:
        return MMSYSERR_NODRIVER;
    case PA_ERR_NOENTITY:
        return MMSYSERR_BADDEVICEID;
    case PA_ERR_NOTSUPPORTED:
    case PA_ERR_INVALID:
        return WAVERR_BADFORMAT;
    default:
        return MMSYSERR_ERROR;
    }
}

pa_simple* openPulse(const WaveInFormat& f, quint32 fragmentBytes, int* error)
{
    pa_sample_spec sampleFormat{};
    sampleFormat.format = f.wBitsPerSample == 8 ? PA_SAMPLE_U8 : PA_SAMPLE_S16LE;
    sampleFormat.rate = f.nSamplesPerSec;
    sampleFormat.channels = quint8(f.nChannels);
    // Small fragments: a stop waits for at most one of them.
    pa_buffer_attr attr{};
    attr.maxlength = quint32(-1);
    attr.tlength = quint32(-1);
    attr.prebuf = quint32(-1);
    attr.minreq = quint32(-1);
    attr.fragsize = fragmentBytes;
    const QByteArray source = pulseSourceName();
    return pa_simple_new(nullptr, "ZuvRecorder", PA_STREAM_RECORD, source.constData(), "capture",
                         &sampleFormat, nullptr, &attr, error);
}

std::set<WaveInDevice*>& openDevices()
{
    static std::set<WaveInDevice*> devices;
    return devices;
}

} // namespace

QEvent::Type WaveMessage::eventType()
{
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}

class WaveInDevice
{
public:
    WaveInDevice(const WaveInFormat& format, QObject* callback)
        : m_format(format), m_callback(callback)
    {
        // About 20 ms per read, whole sample frames.
        const quint32 align = format.nBlockAlign;
        m_chunk = qMax(align, format.nAvgBytesPerSec / 50 / align * align);
        m_scratch.resize(m_chunk);
        m_queue.reserve(16);
    }

    ~WaveInDevice()
    {
        {
            std::lock_guard lock(m_mutex);
            m_closing = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable())
            m_thread.join();
        if (m_pulse)
            pa_simple_free(m_pulse);
    }

    MMRESULT open()
    {
        const QString path = fileSourcePath();
        if (!path.isEmpty()) {
            m_file.setFileName(path);
            MMRESULT why = MMSYSERR_NOERROR;
            const auto layout = readLayout(m_file, &why);
            if (!layout)
                return why;
            const WaveInFormat& f = layout->format;
            if (f.nChannels != m_format.nChannels || f.nSamplesPerSec != m_format.nSamplesPerSec ||
                f.wBitsPerSample != m_format.wBitsPerSample)
                return WAVERR_BADFORMAT;
            m_file.seek(layout->dataOffset);
            m_fileLeft = layout->dataBytes;
        } else {
            int error = 0;
            m_pulse = openPulse(m_format, m_chunk, &error);
            if (!m_pulse)
                return fromPulseError(error);
        }
        m_thread = std::thread([this] { run(); });
        post(MM_WIM_OPEN, nullptr);
        return MMSYSERR_NOERROR;
    }

    MMRESULT addBuffer(WaveInHeader* header)
    {
        if (!(header->dwFlags & WHDR_PREPARED))
            return WAVERR_UNPREPARED;
        if (header->dwFlags & WHDR_INQUEUE)
            return WAVERR_STILLPLAYING;
        if (!header->lpData || header->dwBufferLength < m_format.nBlockAlign)
            return MMSYSERR_INVALPARAM;
        std::lock_guard lock(m_mutex);
        header->dwBytesRecorded = 0;
        header->dwFlags = (header->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
        m_queue.push_back(header);
        return MMSYSERR_NOERROR;
    }

    void start()
    {
        {
            std::lock_guard lock(m_mutex);
            if (!m_started) {
                m_started = true;
                m_startedAt = Clock::now();
                m_playedSinceStart = 0;
            }
        }
        m_wake.notify_all();
    }

    // Both wait until the capture thread has handed the buffers back, so that
    // their messages are posted when the call returns.
    void stop() { request(Request::Stop); }
    void reset() { request(Request::Reset); }

    bool hasQueuedBuffers()
    {
        std::lock_guard lock(m_mutex);
        return !m_queue.empty();
    }

    void post(quint32 message, WaveInHeader* header)
    {
        QCoreApplication::postEvent(m_callback, new WaveMessage(message, header));
    }

private:
    enum class Request
    {
        None,
        Stop,
        Reset
    };

    void request(Request what)
    {
        std::unique_lock lock(m_mutex);
        m_request = what;
        m_wake.notify_all();
        m_wake.wait(lock, [this] { return m_request == Request::None; });
    }

    // Under the lock: gives back buffers as asked.
    void serveRequest()
    {
        if (m_request == Request::None)
            return;
        m_started = false;
        if (m_request == Request::Stop) {
            if (!m_queue.empty() && m_queue.front()->dwBytesRecorded > 0)
                finishFront();
        } else {
            while (!m_queue.empty())
                finishFront();
        }
        m_request = Request::None;
        m_wake.notify_all();
    }

    void finishFront()
    {
        WaveInHeader* header = m_queue.front();
        m_queue.erase(m_queue.begin());
        header->dwFlags = (header->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
        post(MM_WIM_DATA, header);
    }

    void run()
    {
        for (;;) {
            WaveInHeader* target = nullptr;
            {
                std::unique_lock lock(m_mutex);
                // A file only moves on while started; a sound server keeps
                // sending and is read even when nobody wants the sound.
                if (!m_pulse)
                    m_wake.wait(lock, [this] {
                        return m_closing || m_started || m_request != Request::None;
                    });
                serveRequest();
                if (m_closing)
                    return;
                if (m_started && !m_queue.empty())
                    target = m_queue.front();
            }
            char* into = m_scratch.data();
            quint32 bytes = m_chunk;
            if (target) {
                const quint32 room = target->dwBufferLength - target->dwBytesRecorded;
                bytes = qMin(room, m_chunk);
                bytes -= bytes % m_format.nBlockAlign;
                into = target->lpData + target->dwBytesRecorded;
            }
            if (bytes > 0 && !read(into, bytes))
                bytes = 0;
            std::lock_guard lock(m_mutex);
            if (!target)
                continue;
            target->dwBytesRecorded += bytes;
            const quint32 room = target->dwBufferLength - target->dwBytesRecorded;
            if (room < m_format.nBlockAlign)
                finishFront();
        }
    }

    bool read(char* into, quint32 bytes)
    {
        if (m_pulse) {
            int error = 0;
            if (pa_simple_read(m_pulse, into, bytes, &error) == 0)
                return true;
            // The server has gone: go on as a device that hears nothing.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            return false;
        }
        // Real time: the chunk is there when its last byte has been played.
        {
            std::unique_lock lock(m_mutex);
            const auto due =
                m_startedAt + std::chrono::microseconds((m_playedSinceStart + bytes) * 1000000 /
                                                        m_format.nAvgBytesPerSec);
            if (m_wake.wait_until(lock, due, [this] {
                    return m_closing || m_request != Request::None || !m_started;
                }))
                return false;
            m_playedSinceStart += bytes;
        }
        // After the end of the sound (or a read error) the device hears silence.
        qint64 got = 0;
        const qint64 fromFile = qMin<qint64>(bytes, m_fileLeft);
        if (fromFile > 0) {
            got = qMax<qint64>(m_file.read(into, fromFile), 0);
            m_fileLeft = got == fromFile ? m_fileLeft - got : 0;
        }
        std::memset(into + got, silence(), size_t(bytes - got));
        return true;
    }

    int silence() const { return m_format.wBitsPerSample == 8 ? 0x80 : 0; }

    const WaveInFormat m_format;
    QObject* const m_callback;
    quint32 m_chunk = 0;
    std::vector<char> m_scratch;

    pa_simple* m_pulse = nullptr;
    QFile m_file;
    qint64 m_fileLeft = 0;

    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<WaveInHeader*> m_queue;
    bool m_started = false;
    bool m_closing = false;
    Request m_request = Request::None;
    Clock::time_point m_startedAt;
    qint64 m_playedSinceStart = 0;
};

namespace {

bool isOpen(HWAVEIN handle)
{
    return handle && openDevices().count(handle) > 0;
}

bool validDevice(quint32 deviceId)
{
    return deviceId == 0 || deviceId == WAVE_MAPPER;
}

} // namespace

quint32 waveInGetNumDevs()
{
    return 1;
}

MMRESULT waveInGetDevCaps(quint32 deviceId, WaveInCaps* caps)
{
    if (!caps)
        return MMSYSERR_INVALPARAM;
    if (!validDevice(deviceId))
        return MMSYSERR_BADDEVICEID;
    *caps = WaveInCaps{};
    const QString path = fileSourcePath();
    if (!path.isEmpty()) {
        caps->szPname = QStringLiteral("WAV file ") + QFileInfo(path).fileName();
        QFile file(path);
        MMRESULT why = MMSYSERR_NOERROR;
        // A file that cannot be read says nothing about its format; opening
        // it reports what is wrong.
        if (const auto layout = readLayout(file, &why)) {
            caps->dwFormats = formatFlags(layout->format);
            caps->wChannels = layout->format.nChannels;
        } else {
            caps->dwFormats = kAllFormats;
            caps->wChannels = 2;
        }
        return MMSYSERR_NOERROR;
    }
    // The sound server converts any PCM format; what has to be known is
    // whether it is there and has the source.
    WaveInFormat probe;
    int error = 0;
    pa_simple* stream = openPulse(probe, probe.nAvgBytesPerSec / 50, &error);
    if (!stream)
        return fromPulseError(error) == WAVERR_BADFORMAT ? MMSYSERR_ERROR : fromPulseError(error);
    pa_simple_free(stream);
    caps->szPname = QStringLiteral("PulseAudio ") + QString::fromUtf8(pulseSourceName());
    caps->dwFormats = kAllFormats;
    caps->wChannels = 2;
    return MMSYSERR_NOERROR;
}

MMRESULT waveInOpen(HWAVEIN* handle, quint32 deviceId, const WaveInFormat* format,
                    QObject* callback)
{
    if (!handle || !format || !callback)
        return MMSYSERR_INVALPARAM;
    *handle = nullptr;
    if (!validDevice(deviceId))
        return MMSYSERR_BADDEVICEID;
    if (!plausible(*format))
        return WAVERR_BADFORMAT;
    auto device = std::make_unique<WaveInDevice>(*format, callback);
    const MMRESULT result = device->open();
    if (result != MMSYSERR_NOERROR)
        return result;
    *handle = device.release();
    openDevices().insert(*handle);
    return MMSYSERR_NOERROR;
}

MMRESULT waveInPrepareHeader(HWAVEIN handle, WaveInHeader* header)
{
    if (!isOpen(handle))
        return MMSYSERR_INVALHANDLE;
    if (!header || !header->lpData)
        return MMSYSERR_INVALPARAM;
    header->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT waveInUnprepareHeader(HWAVEIN handle, WaveInHeader* header)
{
    if (!isOpen(handle))
        return MMSYSERR_INVALHANDLE;
    if (!header)
        return MMSYSERR_INVALPARAM;
    if (header->dwFlags & WHDR_INQUEUE)
        return WAVERR_STILLPLAYING;
    header->dwFlags &= ~WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT waveInAddBuffer(HWAVEIN handle, WaveInHeader* header)
{
    if (!isOpen(handle))
        return MMSYSERR_INVALHANDLE;
    if (!header)
        return MMSYSERR_INVALPARAM;
    return handle->addBuffer(header);
}

MMRESULT waveInStart(HWAVEIN handle)
{
    if (!isOpen(handle))
        return MMSYSERR_INVALHANDLE;
    handle->start();
    return MMSYSERR_NOERROR;
}

MMRESULT waveInStop(HWAVEIN handle)
{
    if (!isOpen(handle))
        return MMSYSERR_INVALHANDLE;
    handle->stop();
    return MMSYSERR_NOERROR;
}

MMRESULT waveInReset(HWAVEIN handle)
{
    if (!isOpen(handle))
        return MMSYSERR_INVALHANDLE;
    handle->reset();
    return MMSYSERR_NOERROR;
}

MMRESULT waveInClose(HWAVEIN handle)
{
    if (!isOpen(handle))
        return MMSYSERR_INVALHANDLE;
    if (handle->hasQueuedBuffers())
        return WAVERR_STILLPLAYING;
    openDevices().erase(handle);
    handle->post(MM_WIM_CLOSE, nullptr);
    delete handle;
    return MMSYSERR_NOERROR;
}

QString waveInGetErrorText(MMRESULT code)
{
    switch (code) {
    case MMSYSERR_NOERROR:
        return QStringLiteral("No error.");
    case MMSYSERR_ERROR:
        return QStringLiteral("The recording device failed.");
    case MMSYSERR_BADDEVICEID:
        return QStringLiteral("No such recording device.");
    case MMSYSERR_ALLOCATED:
        return QStringLiteral("The recording device is in use.");
    case MMSYSERR_INVALHANDLE:
        return QStringLiteral("The recording device is not open.");
    case MMSYSERR_NODRIVER:
        return QStringLiteral("No recording device is available.");
    case MMSYSERR_NOMEM:
        return QStringLiteral("Not enough memory.");
    case MMSYSERR_INVALPARAM:
        return QStringLiteral("Invalid parameter.");
    case WAVERR_BADFORMAT:
        return QStringLiteral("The recording device cannot record in this format.");
    case WAVERR_STILLPLAYING:
        return QStringLiteral("Buffers are still queued.");
    case WAVERR_UNPREPARED:
        return QStringLiteral("The buffer is not prepared.");
    default:
        return QStringLiteral("Unknown error %1.").arg(code);
    }
}

} // namespace zuv
