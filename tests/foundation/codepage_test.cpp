#include <foundation/codepage.h>
#include <gtest/gtest.h>
#include <support/qtprint.h>

using namespace Qt::StringLiterals;

using zuv::CodePage::decode;
using zuv::CodePage::decodeArgument;
using zuv::CodePage::encode;

TEST(CodePage, EveryByteSurvivesDecodeAndEncode)
{
    QByteArray all(256, '\0');
    for (int i = 0; i < 256; ++i)
        all[i] = char(i);
    const QString text = decode(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(encode(text), all);
}

TEST(CodePage, CzechLettersHaveTheirWindows1250Bytes)
{
    EXPECT_EQ(
        encode(u"ěščřžýáíé ĚŠČŘŽÝÁÍÉ ůúťďň"),
        QByteArray("\xEC\x9A\xE8\xF8\x9E\xFD\xE1\xED\xE9 \xCC\x8A\xC8\xD8\x8E\xDD\xC1\xCD\xC9 "
                   "\xF9\xFA\x9D\xEF\xF2"));
    EXPECT_EQ(decode("\x80\x84\x96\xA0\xFF"), u"€„–\u00A0˙"_s);
}

TEST(CodePage, CharacterWithoutByteBecomesOneQuestionMark)
{
    // Russian letters, a Chinese one and an emoji (two UTF-16 units, one character).
    EXPECT_EQ(encode(u"Жи中😀!"), QByteArray(4, '?') + "!");
    // A lone surrogate is no character of the code page either.
    EXPECT_EQ(encode(QString(QChar(0xD800))), QByteArray("?"));
}

TEST(CodePage, ArgumentsFromATerminalMayBeUtf8)
{
    const QByteArray utf8 = u"Rádio Čechy"_s.toUtf8();
    const QByteArray windows = encode(u"Rádio Čechy");
    EXPECT_EQ(decodeArgument(utf8, false), u"Rádio Čechy"_s);
    EXPECT_EQ(decodeArgument(windows, false), u"Rádio Čechy"_s);
    // Started by the suite, the bytes are Windows-1250 whatever they look like.
    EXPECT_EQ(decodeArgument(utf8, true), decode(utf8));
}
