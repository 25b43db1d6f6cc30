#pragma once

#include <QString>
#include <array>

namespace zuv::MessageEscape {

// One character (or CR LF) a chat text may not carry to the server as it is,
// and the sequence that stands for it there.
struct Pair
{
    const char16_t* plain;
    const char16_t* escaped;
};

// In the order they are applied: "&" first, so that the "&" of no later
// sequence is touched again.
inline constexpr std::array<Pair, 7> kPairs = {{
    {u"&", u"*.and"},
    {u"#", u"*./=/"},
    {u"+", u"*.plus"},
    {u"\"", u"*.u1"},
    {u"'", u"*.u2"},
    {u"\\", u"*.l"},
    {u"\r\n", u" <br>"},
}};

// The text as a chat window sends it: every pair replaced in order.
QString escape(const QString& text);

} // namespace zuv::MessageEscape
