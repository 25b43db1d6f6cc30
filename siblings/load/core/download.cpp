#include "download.h"

#include "partfile.h"

#include <curl/curl.h>

namespace zuv::load {
namespace {

// Where the body goes, and how much of it has come.
struct Body
{
    PartFile& file;
    qint64 written = 0;
    bool tooLarge = false;
};

size_t writeBody(char* data, size_t size, size_t count, void* target)
{
    auto* body = static_cast<Body*>(target);
    const qint64 bytes = qint64(size * count);
    if (body->written + bytes > kMaxReplyBytes) {
        body->tooLarge = true;
        return 0; // ends the transfer
    }
    body->written += bytes;
    return body->file.write(data, bytes) ? size_t(bytes) : 0;
}

int checkStop(void* stop, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return stop && static_cast<const std::atomic<bool>*>(stop)->load() ? 1 : 0;
}

} // namespace

DownloadResult download(const QByteArray& url, const QString& replyFile,
                        const std::atomic<bool>* stop)
{
    PartFile file(replyFile);
    QString error;
    if (!file.open(&error, stop))
        return {false, error};
    Body body{file};

    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    CURL* curl = initialised ? curl_easy_init() : nullptr;
    if (!curl) {
        file.cancel();
        return {false, QStringLiteral("cannot start the HTTP client")};
    }
    char curlError[CURL_ERROR_SIZE] = {};
    const QByteArray urlCopy = url;
    curl_easy_setopt(curl, CURLOPT_URL, urlCopy.constData());
    curl_easy_setopt(curl, CURLOPT_PATH_AS_IS, 1L); // the address goes as built
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 15L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 60L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Zuv load/1.0");
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, curlError);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, writeBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    // Nothing but HTTP: a file:// address would copy a local file into the
    // reply, and other schemes send the password to any port as raw bytes.
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(kMaxReplyBytes));
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, checkStop);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, stop);
    const CURLcode code = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);

    if (body.tooLarge || code == CURLE_FILESIZE_EXCEEDED) {
        file.cancel();
        return {false, QStringLiteral("the reply is larger than %1 MiB").arg(kMaxReplyBytes >> 20)};
    }
    if (code != CURLE_OK) {
        file.cancel();
        const QString reason = curlError[0] ? QString::fromLocal8Bit(curlError)
                                            : QString::fromLatin1(curl_easy_strerror(code));
        return {false, reason};
    }
    if (status != 0 && (status < 200 || status > 299)) {
        file.cancel();
        return {false, QStringLiteral("HTTP status %1").arg(status)};
    }
    if (!file.commit(&error))
        return {false, error};
    return {true, {}};
}

} // namespace zuv::load
