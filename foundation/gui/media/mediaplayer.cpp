#include "mediaplayer.h"

#include <QFile>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <foundation/codepage.h>
#include <foundation/paths.h>
#include <mpv/client.h>

// QT_LOGGING_RULES="zuv.media.debug=true" shows mpv's own messages.
Q_LOGGING_CATEGORY(lcMedia, "zuv.media", QtWarningMsg)

namespace zuv {
namespace {

// Ids of the observed properties, passed back as reply_userdata.
enum Observed : quint64
{
    PausedForCache = 1,
    BufferingState,
    StreamTitle,
    MediaTitle,
    TimePos,
    FileSize,
};

// Marks the reply of a loadfile command.
constexpr quint64 kLoadReply = 100;
// Marks the reply of an entry appended from a playlist file; the number of
// the load it belongs to is added.
constexpr quint64 kAppendReply = quint64(1) << 32;

const QList<int> kDefaultRetryDelays = {1000, 2000, 4000, 8000, 15000};

QString readyText()
{
    return QStringLiteral("Připraveno");
}
QString connectingText()
{
    return QStringLiteral("Připojování…");
}
QString bufferingText(int percent)
{
    return QStringLiteral("Načítání do vyrovnávací paměti: %1 %").arg(percent);
}
QString playingText()
{
    return QStringLiteral("Přehrávání");
}
QString stoppedText()
{
    return QStringLiteral("Zastaveno");
}
QString reconnectingText()
{
    return QStringLiteral("Obnovování spojení…");
}
QString failedText()
{
    return QStringLiteral("Spojení se nezdařilo");
}

void setOption(mpv_handle* mpv, const char* name, const QByteArray& value)
{
    const int result = mpv_set_option_string(mpv, name, value.constData());
    if (result < 0)
        qCWarning(lcMedia) << "mpv option" << name << mpv_error_string(result);
}

QByteArray stringOf(const mpv_event_property& property)
{
    if (property.format != MPV_FORMAT_STRING)
        return {};
    return QByteArray(*static_cast<char**>(property.data));
}

QString xmlUnescaped(const QString& text)
{
    if (!text.contains(u'&'))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype end = text.at(i) == u'&' ? text.indexOf(u';', i) : -1;
        if (end < 0) {
            out += text.at(i);
            continue;
        }
        const QStringView name = QStringView(text).sliced(i + 1, end - i - 1);
        QString replacement;
        if (name == u"amp")
            replacement = QStringLiteral("&");
        else if (name == u"lt")
            replacement = QStringLiteral("<");
        else if (name == u"gt")
            replacement = QStringLiteral(">");
        else if (name == u"quot")
            replacement = QStringLiteral("\"");
        else if (name == u"apos")
            replacement = QStringLiteral("'");
        else if (name.startsWith(u'#')) {
            bool ok = false;
            const uint code = name.size() > 1 && (name.at(1) == u'x' || name.at(1) == u'X')
                                  ? name.sliced(2).toUInt(&ok, 16)
                                  : name.sliced(1).toUInt(&ok, 10);
            if (ok && code > 0 && code <= 0x10FFFF) {
                const char32_t c = code;
                replacement = QString::fromUcs4(&c, 1);
            }
        }
        if (replacement.isEmpty()) {
            out += text.at(i); // not a reference: kept as written
            continue;
        }
        out += replacement;
        i = end;
    }
    return out;
}

bool isFileUrl(const QString& item)
{
    return item.startsWith(u"file:", Qt::CaseInsensitive);
}

bool hasScheme(const QString& item)
{
    // A drive letter ("C:\...") is no scheme.
    const QUrl url(item);
    return url.scheme().size() > 1;
}

std::optional<qint64> integerOf(const mpv_event_property& property)
{
    if (property.format != MPV_FORMAT_INT64)
        return std::nullopt;
    return qint64(*static_cast<int64_t*>(property.data));
}

} // namespace

QString mediaPositionText(double seconds)
{
    const qint64 total = std::isfinite(seconds) && seconds > 0 ? qint64(seconds) : 0;
    const qint64 hours = total / 3600;
    const QString minutesSeconds = QStringLiteral("%1:%2")
                                       .arg(total / 60 % 60, 2, 10, QLatin1Char('0'))
                                       .arg(total % 60, 2, 10, QLatin1Char('0'));
    return hours > 0 ? QString::number(hours) + u':' + minutesSeconds : minutesSeconds;
}

QString decodeStreamTitle(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return CodePage::decode(bytes);
}

QStringList wplEntries(const QString& playlistPath)
{
    const QString path = resolvePath(playlistPath);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // The suite writes Windows-1250; a playlist from elsewhere is UTF-8.
    const QString text = decodeStreamTitle(file.readAll());
    QString folder = path;
    folder.truncate(std::max<qsizetype>(folder.lastIndexOf(u'/'), 0));
    static const QRegularExpression media(
        QStringLiteral("<media\\s[^>]*?\\bsrc\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)')"),
        QRegularExpression::CaseInsensitiveOption);
    QStringList entries;
    for (auto it = media.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        QString item = xmlUnescaped(match.hasCaptured(1) ? match.captured(1) : match.captured(2));
        if (item.isEmpty())
            continue;
        if (hasScheme(item)) {
            entries.append(item);
            continue;
        }
        item.replace(u'\\', u'/');
        if (!item.startsWith(u'/'))
            item = folder + u'/' + item;
        entries.append(resolvePath(item));
    }
    return entries;
}

MediaPlayer::MediaPlayer(QObject* parent)
    : QObject(parent), m_status(readyText()), m_retryDelays(kDefaultRetryDelays)
{
    m_retryTimer.setSingleShot(true);
    connect(&m_retryTimer, &QTimer::timeout, this, &MediaPlayer::retry);

    // libmpv refuses to start under a locale that writes numbers with a comma,
    // and the application's locale comes from the environment.
    std::setlocale(LC_NUMERIC, "C");
    m_mpv = mpv_create();
    if (!m_mpv) {
        qCWarning(lcMedia) << "mpv could not be created";
        return;
    }
    setOption(m_mpv, "vo", "null");
    setOption(m_mpv, "video", "no");
    setOption(m_mpv, "audio-display", "no");
    setOption(m_mpv, "terminal", "no");
    setOption(m_mpv, "input-default-bindings", "no");
    setOption(m_mpv, "ytdl", "no");
    setOption(m_mpv, "idle", "yes");
    // Nothing of a person's own mpv setup, and no script threads nobody uses.
    setOption(m_mpv, "config", "no");
    setOption(m_mpv, "load-scripts", "no");
    setOption(m_mpv, "load-stats-overlay", "no");
    setOption(m_mpv, "load-osd-console", "no");
    setOption(m_mpv, "load-auto-profiles", "no");
    // A station that does not answer fails within seconds and is tried again.
    setOption(m_mpv, "network-timeout", "5");
    setOption(m_mpv, "audio-client-name", "Zuv");
    const QByteArray audioOut = qgetenv("ZUV_AUDIO_OUT");
    if (!audioOut.isEmpty())
        setOption(m_mpv, "ao", audioOut);

    if (lcMedia().isDebugEnabled())
        mpv_request_log_messages(m_mpv, "v");
    mpv_observe_property(m_mpv, PausedForCache, "paused-for-cache", MPV_FORMAT_FLAG);
    mpv_observe_property(m_mpv, BufferingState, "cache-buffering-state", MPV_FORMAT_INT64);
    mpv_observe_property(m_mpv, StreamTitle, "metadata/by-key/icy-title", MPV_FORMAT_STRING);
    mpv_observe_property(m_mpv, MediaTitle, "media-title", MPV_FORMAT_STRING);
    // Whole seconds: mpv reports a change only when the second changes.
    mpv_observe_property(m_mpv, TimePos, "time-pos", MPV_FORMAT_INT64);
    // Only a file has a size; a station's stream has none (mpv estimates a
    // duration even for a stream, so that cannot tell them apart).
    mpv_observe_property(m_mpv, FileSize, "file-size", MPV_FORMAT_INT64);
    mpv_set_wakeup_callback(m_mpv, &MediaPlayer::wakeUp, this);

    const int result = mpv_initialize(m_mpv);
    if (result < 0) {
        qCWarning(lcMedia) << "mpv could not start:" << mpv_error_string(result);
        mpv_set_wakeup_callback(m_mpv, nullptr, nullptr);
        mpv_terminate_destroy(m_mpv);
        m_mpv = nullptr;
    }
}

MediaPlayer::~MediaPlayer()
{
    if (!m_mpv)
        return;
    // Once this returns the callback runs no more; a drain already queued
    // goes with this object.
    mpv_set_wakeup_callback(m_mpv, nullptr, nullptr);
    mpv_terminate_destroy(m_mpv);
}

void MediaPlayer::setURL(const QString& url)
{
    m_url = url;
    if (m_autoStart && !url.isEmpty()) {
        // A new item starts afresh even while the previous one plays.
        m_wanted = false;
        play();
    } else {
        unload(readyText());
    }
}

void MediaPlayer::play()
{
    if (m_url.isEmpty())
        return;
    if (!m_mpv) {
        setStatus(failedText());
        return;
    }
    // Already connecting or playing; a pending retry, though, is cut short.
    if (m_wanted && !m_retryTimer.isActive())
        return;
    m_retryTimer.stop();
    m_retriesUsed = 0;
    m_wanted = true;
    setStatus(connectingText());
    load();
}

void MediaPlayer::stop()
{
    unload(stoppedText());
}

void MediaPlayer::close()
{
    unload(readyText());
}

void MediaPlayer::setVolume(int volume)
{
    m_volume = std::clamp(volume, 0, 100);
    if (!m_mpv)
        return;
    double value = m_volume;
    mpv_set_property_async(m_mpv, 0, "volume", MPV_FORMAT_DOUBLE, &value);
}

QString MediaPlayer::currentItemTitle() const
{
    if (!m_loaded)
        return {};
    return decodeStreamTitle(m_streamTitle.isEmpty() ? m_mediaTitle : m_streamTitle);
}

QString MediaPlayer::currentPositionString() const
{
    if (!m_loaded || !m_started || !m_position)
        return {};
    return mediaPositionText(double(*m_position));
}

void MediaPlayer::setRetryDelays(QList<int> milliseconds)
{
    m_retryDelays = std::move(milliseconds);
}

void MediaPlayer::wakeUp(void* player)
{
    // Called on one of mpv's threads: only hand the work to the UI thread,
    // and only once until that has run.
    auto* self = static_cast<MediaPlayer*>(player);
    if (!self->m_drainQueued.exchange(true))
        QMetaObject::invokeMethod(self, &MediaPlayer::drainEvents, Qt::QueuedConnection);
}

void MediaPlayer::drainEvents()
{
    m_drainQueued.store(false);
    while (m_mpv) {
        const mpv_event* event = mpv_wait_event(m_mpv, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        handleEvent(*event);
    }
}

void MediaPlayer::handleEvent(const mpv_event& event)
{
    switch (event.event_id) {
    case MPV_EVENT_START_FILE: {
        const auto* start = static_cast<const mpv_event_start_file*>(event.data);
        m_awaitingStart = false;
        m_lastEntry = std::max(m_lastEntry, qint64(start->playlist_entry_id));
        break;
    }
    case MPV_EVENT_FILE_LOADED:
        m_loaded = true;
        updatePlayingStatus();
        updateTitle();
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        m_started = true;
        updatePlayingStatus();
        break;
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<const mpv_event_end_file*>(event.data);
        if (end->reason == MPV_END_FILE_REASON_REDIRECT && end->playlist_insert_num_entries > 0)
            m_lastEntry = std::max(m_lastEntry, qint64(end->playlist_insert_id +
                                                       end->playlist_insert_num_entries - 1));
        handleEnd(end->reason, end->error, end->playlist_entry_id);
        break;
    }
    case MPV_EVENT_COMMAND_REPLY:
        if (event.reply_userdata >= kAppendReply) {
            entryAdded(event);
        } else if (event.reply_userdata == kLoadReply && event.error < 0) {
            m_awaitingStart = false;
            handleEnd(MPV_END_FILE_REASON_ERROR, event.error, m_lastEntry);
        }
        break;
    case MPV_EVENT_PROPERTY_CHANGE: {
        const auto& property = *static_cast<const mpv_event_property*>(event.data);
        switch (event.reply_userdata) {
        case PausedForCache: {
            const bool paused =
                property.format == MPV_FORMAT_FLAG && *static_cast<int*>(property.data);
            // The last level seen is that of the full cache before the pause;
            // the real one follows only when it differs from that.
            if (paused && !m_pausedForCache)
                m_bufferPercent = 0;
            m_pausedForCache = paused;
            updatePlayingStatus();
            break;
        }
        case BufferingState:
            m_bufferPercent = int(integerOf(property).value_or(0));
            updatePlayingStatus();
            break;
        case StreamTitle:
            m_streamTitle = stringOf(property);
            updateTitle();
            break;
        case MediaTitle:
            m_mediaTitle = stringOf(property);
            updateTitle();
            break;
        case TimePos:
            m_position = integerOf(property);
            break;
        case FileSize:
            m_fileSize = integerOf(property);
            break;
        }
        break;
    }
    case MPV_EVENT_LOG_MESSAGE: {
        const auto* message = static_cast<const mpv_event_log_message*>(event.data);
        qCDebug(lcMedia).noquote() << message->prefix << QString::fromUtf8(message->text).trimmed();
        break;
    }
    default:
        break;
    }
}

void MediaPlayer::handleEnd(int reason, int error, qint64 entryId)
{
    if (m_awaitingStart || !m_wanted)
        return;
    if (reason != MPV_END_FILE_REASON_EOF && reason != MPV_END_FILE_REASON_ERROR)
        return;
    // mpv goes on with the next entry of a playlist by itself.
    if (entryId < m_lastEntry)
        return;
    if (m_appendsPending > 0) {
        m_heldEnd = End{reason, error, entryId};
        return;
    }
    if (reason == MPV_END_FILE_REASON_ERROR)
        qCDebug(lcMedia) << "playback failed:" << mpv_error_string(error);
    m_loaded = false;
    m_started = false;
    updateTitle();
    // Data that mpv cannot play stays so however often it is fetched.
    const bool notAudio = reason == MPV_END_FILE_REASON_ERROR &&
                          (error == MPV_ERROR_UNKNOWN_FORMAT || error == MPV_ERROR_NOTHING_TO_PLAY);
    // A file fetched over the network that played to its end is done, as a
    // local one is; only a stream that stops has lost its connection.
    const bool playedToEnd = reason == MPV_END_FILE_REASON_EOF && m_fileSize.value_or(0) > 0;
    if (isNetworkItem() && !notAudio && !playedToEnd && m_retriesUsed < m_retryDelays.size()) {
        setStatus(reconnectingText());
        m_retryTimer.start(std::max(0, m_retryDelays.at(m_retriesUsed++)));
        return;
    }
    m_wanted = false;
    const bool fileEnded = reason == MPV_END_FILE_REASON_EOF && (!isNetworkItem() || playedToEnd);
    setStatus(fileEnded ? stoppedText() : failedText());
}

void MediaPlayer::load()
{
    m_awaitingStart = true;
    m_loaded = false;
    m_started = false;
    ++m_loadNumber;
    m_appendsPending = 0;
    m_heldEnd.reset();
    QStringList items;
    if (isPlaylistFile()) {
        items = wplEntries(isFileUrl(m_url) ? QUrl(m_url).toLocalFile() : m_url);
        if (items.isEmpty()) {
            // An empty list (nothing selected) plays nothing; that is no failure.
            unload(stoppedText());
            return;
        }
    } else {
        // Paths of the suite may be written with "\" and in any case.
        items.append(isNetworkItem() || isFileUrl(m_url) ? m_url : resolvePath(m_url));
    }
    const QByteArray first = items.first().toUtf8();
    const char* args[] = {"loadfile", first.constData(), "replace", nullptr};
    const int result = mpv_command_async(m_mpv, kLoadReply, args);
    if (result < 0) {
        m_awaitingStart = false;
        handleEnd(MPV_END_FILE_REASON_ERROR, result, m_lastEntry);
        return;
    }
    for (qsizetype i = 1; i < items.size(); ++i) {
        const QByteArray item = items.at(i).toUtf8();
        const char* append[] = {"loadfile", item.constData(), "append", nullptr};
        if (mpv_command_async(m_mpv, kAppendReply + m_loadNumber, append) >= 0)
            ++m_appendsPending;
    }
}

void MediaPlayer::entryAdded(const mpv_event& reply)
{
    // Replies of an earlier load are of no interest any more.
    if (reply.reply_userdata - kAppendReply != m_loadNumber || m_appendsPending == 0)
        return;
    --m_appendsPending;
    if (reply.error >= 0) {
        const mpv_node& result = static_cast<const mpv_event_command*>(reply.data)->result;
        if (result.format == MPV_FORMAT_NODE_MAP) {
            for (int i = 0; i < result.u.list->num; ++i) {
                const mpv_node& value = result.u.list->values[i];
                if (qstrcmp(result.u.list->keys[i], "playlist_entry_id") == 0 &&
                    value.format == MPV_FORMAT_INT64)
                    m_lastEntry = std::max(m_lastEntry, qint64(value.u.int64));
            }
        }
    }
    // An entry ended while the list was still growing: if nothing came after
    // it, that was the end of the whole item.
    if (m_appendsPending == 0 && m_heldEnd) {
        const End end = *m_heldEnd;
        m_heldEnd.reset();
        handleEnd(end.reason, end.error, end.entryId);
    }
}

void MediaPlayer::unload(const QString& status)
{
    m_retryTimer.stop();
    m_retriesUsed = 0;
    const bool active = m_wanted || m_loaded;
    m_appendsPending = 0;
    m_heldEnd.reset();
    m_wanted = false;
    m_awaitingStart = false;
    m_loaded = false;
    m_started = false;
    if (m_mpv && active) {
        const char* args[] = {"stop", nullptr};
        mpv_command_async(m_mpv, 0, args);
    }
    setStatus(status);
    updateTitle();
}

void MediaPlayer::retry()
{
    if (m_wanted && m_mpv)
        load();
}

void MediaPlayer::updatePlayingStatus()
{
    if (!m_wanted || !m_loaded || m_retryTimer.isActive())
        return;
    if (m_pausedForCache) {
        setStatus(bufferingText(m_bufferPercent));
    } else if (m_started) {
        setStatus(playingText());
        // Only a stream that really plays again earns new tries.
        m_retriesUsed = 0;
    }
}

void MediaPlayer::setStatus(const QString& status)
{
    if (status == m_status)
        return;
    m_status = status;
    emit statusChanged(m_status);
}

void MediaPlayer::updateTitle()
{
    const QString title = currentItemTitle();
    if (title == m_title)
        return;
    m_title = title;
    emit titleChanged(m_title);
}

bool MediaPlayer::isNetworkItem() const
{
    return hasScheme(m_url) && !isFileUrl(m_url);
}

bool MediaPlayer::isPlaylistFile() const
{
    return !isNetworkItem() && m_url.endsWith(u".wpl", Qt::CaseInsensitive);
}

} // namespace zuv
