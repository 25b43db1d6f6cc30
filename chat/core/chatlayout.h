#pragma once

#include <optional>

namespace zuv::chat {

// Where the resizable controls of the chat window go for an outer window
// size, all in twips. A window below its minimum size is to be widened or
// heightened instead, which brings a new layout.
struct ChatLayout
{
    std::optional<int> widenTo;    // set the window width to this
    std::optional<int> heightenTo; // set the window height to this

    // Valid when widenTo is empty.
    int Text1Width = 0;
    int Image7Left = 0;
    int Image20Left = 0;
    int Image6Left = 0;
    int WebBrowser1Width = 0;

    // Valid when heightenTo is empty.
    int buttonsTop = 0; // Image1 … Image5, Image7, Image20
    int SmileSTop = 0;
    int Text1Top = 0; // and Image6
    int WebBrowser1Height = 0;
};

ChatLayout Form_Resize(int width, int height, bool smileysShown);

} // namespace zuv::chat
