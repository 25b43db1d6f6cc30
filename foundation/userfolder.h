#pragma once

#include <QString>

namespace zuv::UserFolder {

// Beside installed programs this file says so: their folder then holds the
// installed defaults only (and may be read-only), and each member's files
// live in a program folder of their own.
inline constexpr char kInstalledMarker[] = "installed";

// "$XDG_DATA_HOME/zuv", or "~/.local/share/zuv" when the variable is unset
// or not an absolute path.
QString location();

// Copies into `userDir` every file below "<installedDir>/Zuv_Data" that
// `userDir` lacks, making the folders on the way (the top one readable by
// its owner only: options.ini and the accounts hold passwords). A file that
// exists is never replaced, so a member's settings survive an upgrade and
// two programs starting at once cannot overwrite each other's copy.
// False when something could not be copied.
bool copyMissingDefaults(const QString& installedDir, const QString& userDir);

} // namespace zuv::UserFolder
