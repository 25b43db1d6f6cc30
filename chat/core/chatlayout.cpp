#include "chatlayout.h"

namespace zuv::chat {

ChatLayout Form_Resize(int width, int height, bool smileysShown)
{
    ChatLayout l;
    const int minimum = smileysShown ? 5800 : 2600;
    if (width > minimum) {
        l.Text1Width = width - 430;
        l.Image7Left = width - 440;
        l.Image20Left = width - 820;
        l.Image6Left = width - 425;
        l.WebBrowser1Width = width - 100;
    } else {
        l.widenTo = minimum + 10;
    }
    if (height > 3000) {
        l.buttonsTop = height - 1640;
        l.SmileSTop = height - 1580;
        l.Text1Top = height - 1280;
        l.WebBrowser1Height = height - 1680;
    } else {
        l.heightenTo = 3010;
    }
    return l;
}

} // namespace zuv::chat
