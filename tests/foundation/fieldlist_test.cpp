#include <foundation/fieldlist.h>
#include <gtest/gtest.h>
#include <support/qtprint.h>

using namespace Qt::StringLiterals;
using namespace zuv;

TEST(FieldList, SplitsAtEverySeparator)
{
    EXPECT_EQ(splitFields(u"remoteplay/@/15/@/2/@/http://x/@/t"),
              (QStringList{u"remoteplay"_s, u"15"_s, u"2"_s, u"http://x"_s, u"t"_s}));
    EXPECT_EQ(splitFields(u"a/@/"), (QStringList{u"a"_s, u""_s}));
    EXPECT_EQ(splitFields(u""), QStringList{u""_s});
    EXPECT_EQ(splitFields(u"a/@b//@/c"), (QStringList{u"a/@b/"_s, u"c"_s}));
}

TEST(FieldList, ReaderLeavesTheRestWhole)
{
    FieldReader r(u">MsG>100001/@/Eva/@/2026-12-09 10:00:00/@/text with /@/ inside"_s);
    EXPECT_EQ(r.next(), u">MsG>100001"_s);
    EXPECT_EQ(r.next(), u"Eva"_s);
    EXPECT_EQ(r.next(), u"2026-12-09 10:00:00"_s);
    EXPECT_EQ(r.rest(), u"text with /@/ inside"_s);
    EXPECT_TRUE(r.hasSeparator());

    FieldReader last(u"only"_s);
    EXPECT_FALSE(last.hasSeparator());
    EXPECT_EQ(last.next(), u"only"_s);
    EXPECT_TRUE(last.atEnd());
    EXPECT_EQ(last.next(), u""_s);

    EXPECT_EQ(joinFields({u"a"_s, u"b"_s, u""_s}), u"a/@/b/@/"_s);
}
