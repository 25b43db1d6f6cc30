#pragma once

#include <QString>
#include <QStringList>

namespace zuv {

// Zuv_Data/zuv_server.tt: the server's addresses and refresh intervals at
// fixed lines, each value after a fixed number of characters.
struct ServerSettings
{
    QString updateHost;        // line 5: host serving the newest copy of this file
    QString serverBase;        // line 6: base address of every request path
    QString activeInterval;    // line 7: ms between refreshes in active mode
    QString passiveInterval;   // line 8: ms between refreshes in passive mode
    QString thresholdInterval; // line 9: ms that choose a full or message-only refresh

    // Reads the values in line order into this object. When the file is
    // missing or ends early, the values read so far keep their new content,
    // the rest stay as they were, "zuv_server.tt.tmp" is copied over the file
    // and one line "<date> <time> <readerEntry>" goes to error.log.
    bool load(const QString& readerEntry, const QString& path = {});

    // Reads the values as load() does, without restoring or logging: true
    // when the file holds all five.
    bool read(const QString& path);

    // The lines of a server file carrying these values (written by the
    // reference server and the build).
    QStringList toLines() const;
};

} // namespace zuv
