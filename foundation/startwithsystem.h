#pragma once

namespace zuv::StartWithSystem {

// Puts the prepared start-up entry Zuv_Data/zuvst.tt at the path named by
// the last "-st>" line of Zuv_Data/paths.tt (on), or removes it (off). A path
// may begin with "~/" for the home folder. Failures are ignored.
void set(bool on);

// True once when Zuv_Data/gstzuv.tt exists and is not empty: the caller then
// switches the start off. The marker is deleted either way.
bool takeSwitchOffMarker();

} // namespace zuv::StartWithSystem
