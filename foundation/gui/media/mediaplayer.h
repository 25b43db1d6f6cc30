#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <atomic>
#include <optional>

struct mpv_handle;
struct mpv_event;

namespace zuv {

// A playback position as the player shows it: "mm:ss", "h:mm:ss" from an
// hour on. Parts of a second are dropped; a negative position counts as 0.
QString mediaPositionText(double seconds);

// The text of a stream or media title. Stations send either UTF-8 or the
// Windows-1250 bytes of the older Czech encoders; bytes that are not valid
// UTF-8 are taken as Windows-1250.
QString decodeStreamTitle(const QByteArray& bytes);

// The items a ".wpl" playlist names in its <media src="..."/> entries, in
// order, ready to play: XML references undone, "\" taken as "/", a relative
// path taken from the playlist's folder. Empty when the file cannot be read.
QStringList wplEntries(const QString& playlistPath);

// Plays one audio item (a network stream, a local file, or a ".wpl" playlist
// of them played in order) through libmpv.
// Every call returns at once; the player's progress comes back as a Czech
// status text. A network stream that ends or fails while it is meant to play
// is tried again with a growing pause before the player gives up.
class MediaPlayer : public QObject
{
    Q_OBJECT
public:
    explicit MediaPlayer(QObject* parent = nullptr);
    ~MediaPlayer() override;

    // Sets the item; with auto start (the default) it starts playing at once.
    void setURL(const QString& url);
    QString URL() const { return m_url; }
    void setAutoStart(bool autoStart) { m_autoStart = autoStart; }
    bool autoStart() const { return m_autoStart; }

    void play();
    void stop();
    // Unloads the item; the URL stays, so play() opens it again.
    void close();

    // 0 (silent) to 100 (full).
    void setVolume(int volume);
    int volume() const { return m_volume; }

    // The stream title when the station sends one, else the media title;
    // "" when nothing is loaded.
    QString currentItemTitle() const;
    // The playback position ("mm:ss"); "" when nothing plays.
    QString currentPositionString() const;
    QString status() const { return m_status; }

    // Pauses in milliseconds before each new try of a network stream; the
    // number of entries is the number of tries.
    void setRetryDelays(QList<int> milliseconds);

signals:
    void statusChanged(const QString& status);
    void titleChanged(const QString& title);

private:
    static void wakeUp(void* player);
    void drainEvents();
    void handleEvent(const mpv_event& event);
    void handleEnd(int reason, int error, qint64 entryId);
    void load();
    void unload(const QString& status);
    void retry();
    void updatePlayingStatus();
    void setStatus(const QString& status);
    void updateTitle();
    bool isNetworkItem() const;
    bool isPlaylistFile() const;
    void entryAdded(const mpv_event& reply);

    mpv_handle* m_mpv = nullptr;
    std::atomic<bool> m_drainQueued{false};

    QString m_url;
    bool m_autoStart = true;
    int m_volume = 100;
    QString m_status;
    QString m_title;

    // The person wants the item playing: an end or a failure is retried.
    bool m_wanted = false;
    // A loadfile is on its way; ends reported before its start belong to the
    // item it replaces.
    bool m_awaitingStart = false;
    bool m_loaded = false;
    // Playback really began after the load.
    bool m_started = false;
    // The last entry of the current item: a playlist item plays its entries
    // one after another, and only the end of the last one is the item's end.
    qint64 m_lastEntry = 0;
    // Entries of a playlist file still being appended: until mpv has taken
    // them all, the end of an entry is not yet known to be the item's end.
    int m_appendsPending = 0;
    quint64 m_loadNumber = 0;
    struct End
    {
        int reason;
        int error;
        qint64 entryId;
    };
    std::optional<End> m_heldEnd;

    bool m_pausedForCache = false;
    int m_bufferPercent = 0;
    std::optional<qint64> m_position;
    std::optional<qint64> m_fileSize;
    QByteArray m_streamTitle;
    QByteArray m_mediaTitle;

    QList<int> m_retryDelays;
    int m_retriesUsed = 0;
    QTimer m_retryTimer;
};

} // namespace zuv
