#include "mp3encoder.h"

#include <QtEndian>
#include <lame/lame.h>

namespace zuv {
namespace {

// LAME's bound for the output of one call: 1.25 × samples + 7200 bytes.
int mp3BufferSize(int samples)
{
    return samples + samples / 4 + 7200;
}

} // namespace

Mp3Encoder::Mp3Encoder() = default;

Mp3Encoder::~Mp3Encoder()
{
    release();
}

int Mp3Encoder::initializeWork()
{
    release();
    m_input = {};
    m_inputSet = false;
    m_fileName.clear();
    m_channelMode = 1;
    m_bitrate = 128;
    m_state = State::Configuring;
    return NoError;
}

int Mp3Encoder::setConfigure(int item, int value)
{
    if (m_state != State::Configuring)
        return WrongState;
    switch (item) {
    case ChannelModeItem:
        if (value != 0 && value != 1)
            return BadItem;
        m_channelMode = value;
        return NoError;
    case BitrateItem:
        if (value <= 0)
            return BadItem;
        m_bitrate = value;
        return NoError;
    default:
        return BadItem;
    }
}

int Mp3Encoder::setConfigure(int item, int value, const InputRecord& data)
{
    if (m_state != State::Configuring)
        return WrongState;
    if (item != InputItem || value != InputUserFunction || !data.function)
        return BadItem;
    m_input = data;
    m_inputSet = true;
    return NoError;
}

int Mp3Encoder::setConfigure(int item, int value, const QString& fileName)
{
    if (m_state != State::Configuring)
        return WrongState;
    if (item != OutputItem || value != OutputFile || fileName.isEmpty())
        return BadItem;
    m_fileName = fileName;
    return NoError;
}

int Mp3Encoder::detectConfigure()
{
    if (m_state != State::Configuring)
        return WrongState;
    const bool inputUsable = m_inputSet &&
                             (m_input.bitsPerSample == 8 || m_input.bitsPerSample == 16) &&
                             (m_input.channels == 1 || m_input.channels == 2) &&
                             m_input.sampleRate > 0 && m_input.sampleRate <= 192000;
    if (!inputUsable || m_fileName.isEmpty() || m_bitrate > 320)
        return BadConfig;

    m_lame = lame_init();
    if (!m_lame)
        return BadConfig;
    lame_set_num_channels(m_lame, m_input.channels);
    lame_set_in_samplerate(m_lame, m_input.sampleRate);
    lame_set_mode(m_lame, m_channelMode == 0 ? MONO : STEREO);
    lame_set_brate(m_lame, m_bitrate);
    // LAME's own default; 2 and better cost three times as much per frame.
    lame_set_quality(m_lame, 3);
    // The Info frame lets players show the length and drop the padding.
    lame_set_bWriteVbrTag(m_lame, 1);
    // ID3 tags are the recorder's business, written after the recording.
    lame_set_write_id3tag_automatic(m_lame, 0);
    if (lame_init_params(m_lame) < 0) {
        release();
        return BadConfig;
    }

    m_frameSamples = lame_get_framesize(m_lame);
    const int blockAlign = m_input.channels * m_input.bitsPerSample / 8;
    m_frameBytes = m_frameSamples * blockAlign;
    m_inputBytes.assign(m_frameBytes, 0);
    m_pcm.assign(std::size_t(m_frameSamples) * m_input.channels, 0);
    m_mp3.assign(mp3BufferSize(m_frameSamples), 0);

    // Created last, so that a configuration LAME refuses leaves no file.
    m_file.setFileName(m_fileName);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        release();
        return FileError;
    }
    m_state = State::Encoding;
    return NoError;
}

int Mp3Encoder::getConfigure(int item, quint32* out) const
{
    if (item != FrameSamplesItem || !out)
        return BadItem;
    if (m_state != State::Encoding)
        return WrongState;
    *out = quint32(m_frameSamples);
    return NoError;
}

int Mp3Encoder::processFrame()
{
    if (m_state != State::Encoding)
        return WrongState;
    m_input.function(m_inputBytes.data(), m_frameBytes);

    const int values = int(m_pcm.size());
    if (m_input.bitsPerSample == 8) {
        for (int i = 0; i < values; ++i)
            m_pcm[i] = short((int(quint8(m_inputBytes[i])) - 128) * 256);
    } else {
        qFromLittleEndian<qint16>(m_inputBytes.data(), values, m_pcm.data());
    }

    const int encoded = m_input.channels == 2
                            ? lame_encode_buffer_interleaved(m_lame, m_pcm.data(), m_frameSamples,
                                                             m_mp3.data(), int(m_mp3.size()))
                            : lame_encode_buffer(m_lame, m_pcm.data(), m_pcm.data(), m_frameSamples,
                                                 m_mp3.data(), int(m_mp3.size()));
    if (encoded < 0)
        return EncodeError;
    return writeOutput(encoded);
}

int Mp3Encoder::closeCoder()
{
    if (m_state != State::Encoding)
        return WrongState;
    m_state = State::Closed;
    int result = NoError;
    const int flushed = lame_encode_flush(m_lame, m_mp3.data(), int(m_mp3.size()));
    if (flushed < 0)
        result = EncodeError;
    else if (writeOutput(flushed) != NoError)
        result = FileError;

    // LAME left an empty frame at the start for the Info tag.
    const std::size_t tagBytes = lame_get_lametag_frame(m_lame, m_mp3.data(), m_mp3.size());
    if (tagBytes > 0 && tagBytes <= m_mp3.size()) {
        if (!m_file.seek(0) || m_file.write(reinterpret_cast<const char*>(m_mp3.data()),
                                            qint64(tagBytes)) != qint64(tagBytes))
            result = FileError;
    }
    if (!m_file.flush() && result == NoError)
        result = FileError;
    m_file.close();
    return result;
}

int Mp3Encoder::endCoder()
{
    release();
    m_state = State::Idle;
    return NoError;
}

int Mp3Encoder::writeOutput(int bytes)
{
    if (bytes == 0)
        return NoError;
    return m_file.write(reinterpret_cast<const char*>(m_mp3.data()), bytes) == bytes ? NoError
                                                                                     : FileError;
}

void Mp3Encoder::release()
{
    if (m_lame) {
        lame_close(m_lame);
        m_lame = nullptr;
    }
    if (m_file.isOpen())
        m_file.close();
    if (m_state != State::Idle)
        m_state = State::Configuring;
}

} // namespace zuv
