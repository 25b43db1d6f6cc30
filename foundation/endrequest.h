#pragma once

#include <functional>

namespace zuv {

// Runs `end` on the event loop when the program is asked to end from outside:
// SIGINT (Ctrl+C), SIGTERM, or the desktop session ending. A program ends
// through its own end routine then, as if the user had ended it. Call once,
// after the application object exists; a later request while `end` runs is
// ignored.
void onEndRequest(std::function<void()> end);

} // namespace zuv
