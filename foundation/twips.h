#pragma once

namespace zuv {

// Window positions and sizes are stored and given in twips, as the suite's
// files and peers have always had them: 15 twips to a pixel.
inline constexpr int kTwipsPerPixel = 15;

constexpr int twipsToPixels(int twips)
{
    return twips / kTwipsPerPixel;
}

constexpr int pixelsToTwips(int pixels)
{
    return pixels * kTwipsPerPixel;
}

} // namespace zuv
