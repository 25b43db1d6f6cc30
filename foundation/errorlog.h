#pragma once

#include <QString>

namespace zuv::ErrorLog {

// Appends "<date> <time> <entry>" to Zuv_Data/error.log, e.g.
// append("Zuv (LoadOptions) zuv_server.tt").
void append(const QString& entry);

} // namespace zuv::ErrorLog
