#pragma once

#include <QFile>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <vector>

struct lame_global_struct;

namespace zuv {

// The calls of the MP3 encoder library the recorder is written against, on
// LAME. Every call returns 0 on success and one of the non-zero codes below
// otherwise. The sequence is: initializeWork(), the configuration items,
// detectConfigure() (which creates the output file), getConfigure() for the
// frame size, processFrame() once per frame, closeCoder(), endCoder().
//
// Input is pulled through a user function one frame at a time: 8-bit
// unsigned or 16-bit signed little-endian PCM, mono or interleaved stereo,
// at any sample rate (LAME resamples to a rate MP3 has).
class Mp3Encoder
{
public:
    // Configuration items as the library numbers them.
    enum Item : int
    {
        InputItem = 1,         // value InputUserFunction, data an InputRecord
        OutputItem = 2,        // value OutputFile, data the file name
        ChannelModeItem = 3,   // 0 mono, 1 stereo
        BitrateItem = 4,       // kbit/s
        FrameSamplesItem = 16, // read only: samples in one frame
    };
    static constexpr int InputUserFunction = 2;
    static constexpr int OutputFile = 0;

    enum Result : int
    {
        NoError = 0,
        WrongState = 1,  // the call does not fit the sequence above
        BadItem = 2,     // unknown item, or a value the item does not take
        BadConfig = 3,   // detectConfigure found the configuration unusable
        FileError = 4,   // the output file could not be created or written
        EncodeError = 5, // LAME refused the input
    };

    // Fills `count` bytes at `destination` with the next input; returns 0.
    using InputFunction = std::function<int(char* destination, int count)>;

    // The input record of item 1.
    struct InputRecord
    {
        InputFunction function;
        qint32 totalSize = -1; // unknown
        qint32 bitsPerSample = 16;
        qint32 sampleRate = 44100;
        qint32 channels = 2;
    };

    Mp3Encoder();
    ~Mp3Encoder();
    Mp3Encoder(const Mp3Encoder&) = delete;
    Mp3Encoder& operator=(const Mp3Encoder&) = delete;

    // Starts a new configuration, dropping any earlier encoder state.
    int initializeWork();
    // Items 3 and 4.
    int setConfigure(int item, int value);
    // Item 1.
    int setConfigure(int item, int value, const InputRecord& data);
    // Item 2.
    int setConfigure(int item, int value, const QString& fileName);
    // Checks the configuration, sets LAME up and creates the output file.
    int detectConfigure();
    // Item 16 after detectConfigure().
    int getConfigure(int item, quint32* out) const;
    // Pulls one frame of input (samples per frame × block align bytes) and
    // writes whatever MP3 data LAME hands back.
    int processFrame();
    // Flushes LAME, writes the rest and the Info tag, closes the file.
    int closeCoder();
    // Releases the encoder; the object can be initialised again.
    int endCoder();

private:
    enum class State
    {
        Idle,
        Configuring,
        Encoding,
        Closed, // after closeCoder(), until endCoder()
    };

    int writeOutput(int bytes);
    void release();

    State m_state = State::Idle;
    InputRecord m_input;
    bool m_inputSet = false;
    QString m_fileName;
    int m_channelMode = 1;
    int m_bitrate = 128;

    lame_global_struct* m_lame = nullptr;
    QFile m_file;
    int m_frameSamples = 0;
    int m_frameBytes = 0;
    // Kept between frames so that encoding allocates nothing per frame.
    std::vector<char> m_inputBytes;
    std::vector<short> m_pcm;
    std::vector<unsigned char> m_mp3;
};

} // namespace zuv
