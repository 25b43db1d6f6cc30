#include "sound.h"

#include <QFile>
#include <foundation/paths.h>
#include <foundation/wavefile.h>
#include <pulse/simple.h>
#include <thread>

namespace zuv {
namespace {

// A sound file is short; anything bigger is not meant for a notice.
constexpr qint64 kMaxSoundBytes = 16 * 1024 * 1024;

void playOnPulse(const WaveSound& sound)
{
    pa_sample_spec sampleFormat{};
    sampleFormat.format = sound.bitsPerSample == 8 ? PA_SAMPLE_U8 : PA_SAMPLE_S16LE;
    sampleFormat.rate = quint32(sound.sampleRate);
    sampleFormat.channels = quint8(sound.channels);
    int error = 0;
    pa_simple* stream = pa_simple_new(nullptr, "Zuv", PA_STREAM_PLAYBACK, nullptr, "notice",
                                      &sampleFormat, nullptr, nullptr, &error);
    if (!stream)
        return;
    if (pa_simple_write(stream, sound.samples.constData(), size_t(sound.samples.size()), &error) ==
        0)
        pa_simple_drain(stream, &error);
    pa_simple_free(stream);
}

} // namespace

bool sndPlaySoundA(const QString& path, unsigned flags)
{
    const QString resolved = resolvePath(path);
    const QString log = qEnvironmentVariable("ZUV_SOUND_LOG");
    if (!log.isEmpty()) {
        QFile file(log);
        if (file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
            file.write(resolved.toUtf8() + '\n');
        return QFile::exists(resolved);
    }
    QFile file(resolved);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxSoundBytes)
        return false;
    auto sound = parseWave(file.readAll());
    if (!sound)
        return false;
    if (qEnvironmentVariable("ZUV_AUDIO_OUT") == u"null")
        return true;
    if (flags & SND_ASYNC)
        std::thread([s = std::move(*sound)] { playOnPulse(s); }).detach();
    else
        playOnPulse(*sound);
    return true;
}

} // namespace zuv
