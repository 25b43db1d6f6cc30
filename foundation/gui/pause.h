#pragma once

namespace zuv {

// Lets pending events run once (window messages, timers, bus commands).
void DoEvents();

// Waits `milliseconds` while this program keeps handling its own events; it
// sleeps between events instead of spinning a core.
void Pause(int milliseconds);

} // namespace zuv
