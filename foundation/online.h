#pragma once

namespace zuv {

// True when the machine has a way off the loopback: an interface that is up
// with a default route. $ZUV_ONLINE=1 or 0 forces the answer.
bool TestOnLine();

} // namespace zuv
