#include <foundation/breakablewords.h>
#include <gtest/gtest.h>
#include <support/qtprint.h>

using namespace Qt::StringLiterals;
using namespace zuv;

TEST(BreakableWords, HtmlGetsBreaksInTextOnly)
{
    const QString style =
        u"<style>p{font-family:Tahoma,Verdana,Arial,Helvetica,sans-serif}</style>"_s;
    const QString tag = u"<a href='http://x.cz/"_s + QString(80, u'a') + u"'>"_s;
    const std::pair<QString, QString> rows[] = {
        {QString(10, u'x'), QString(10, u'x')},
        {QString(9, u'x') + u" "_s + QString(9, u'y'),
         QString(9, u'x') + u" "_s + QString(9, u'y')},
        {QString(25, u'x'),
         QString(10, u'x') + u"&#8203;"_s + QString(10, u'x') + u"&#8203;"_s + QString(5, u'x')},
        {u"xxxxxxxxx&amp;y"_s, u"xxxxxxxxx&amp;&#8203;y"_s}, // an entity is one character
        {style + tag, style + tag},                          // style sheets and tags stay whole
        {u"a < "_s + QString(12, u'b'), u"a < "_s + QString(10, u'b') + u"&#8203;bb"_s},
    };
    for (const auto& [html, expected] : rows)
        EXPECT_EQ(breakableHtml(html, 10), expected) << html.toStdString();
}

TEST(BreakableWords, PlainTextGetsTheCharacter)
{
    EXPECT_EQ(breakableText(u"<"_s + QString(11, u'x'), 10),
              u"<"_s + QString(9, u'x') + QChar(0x200B) + u"xx"_s);
}
