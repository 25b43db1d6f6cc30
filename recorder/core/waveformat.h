#pragma once

#include <foundation/waveformat.h>

namespace zuv::recorder {

// The format and the capture buffer are the wave input's own.
using zuv::WaveFormat;
using zuv::WaveHeader;

} // namespace zuv::recorder
