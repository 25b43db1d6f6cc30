#pragma once

#include <QString>

namespace zuv {

// The program folder: $ZUV_PROGRAM_DIR when set, else the folder of the
// running executable. No trailing separator.
QString programDir();

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
