#pragma once

#include <QString>

namespace zuv::radio {

// The position of a named field in a station record of radios.tt: "name",
// "www", "kk" (the category), "u1" … "u5" (stream addresses), "k1" … "k5"
// (their kbit/s); -1 for any other name.
int stationFieldIndex(const QString& name);

// One field of the station with this id from the catalog file: the last
// line whose first six characters are the id (letter case aside) counts.
// Empty when no line matches, the field is not one of the named ones, or
// the line has too few fields. The file is read on every call, so the
// answer follows a catalog just updated.
QString RadioInfo(const QString& catalogPath, const QString& stationId, const QString& field);

} // namespace zuv::radio
