#pragma once

#include <QString>

namespace zuv {

// The program folder: $ZUV_PROGRAM_DIR when set, else the folder of the
// running executable. Installed programs (UserFolder::kInstalledMarker
// beside them) use the member's own folder instead, made from the installed
// defaults when they first start. No trailing separator.
QString programDir();

// The folder the programs themselves are in: the running executable's.
QString programsDir();

// The data folder "<program folder>/Zuv_Data".
QString dataDir();

// A file in the data folder, e.g. dataPath("options.ini").
QString dataPath(const QString& name);

// A file in the program folder, e.g. programPath("zuv.tt").
QString programPath(const QString& name);

// Turns a path built with "\" into one the file system takes: separators
// become "/", and an element that does not exist with its exact name is
// matched against its folder ignoring case ("Zuv_data" finds "Zuv_Data").
// Elements that do not exist at all are kept as written.
QString resolvePath(const QString& path);

} // namespace zuv
