#include <foundation/loginlink.h>
#include <gtest/gtest.h>
#include <support/qtprint.h>

using namespace Qt::StringLiterals;
using namespace zuv;

TEST(LoginLink, HesloOfAFewPasswords)
{
    struct Row
    {
        QString password;
        QString heslo;
    };
    // Worked out by hand: "a" is 97, swapped "79-", whose codes are
    // 57 55 45 once swapped back, and the pairs of that swapped again.
    const Row rows[] = {
        {u""_s, u""_s},
        {u"a"_s, u"755--554-"_s},
        {u"ab"_s, u"755--6545--7554--5"_s},
        {u"abc"_s, u"755--6545--7554--5755--754-"_s}, // odd: the last stays last
        {u"č"_s, u"055--1054--5"_s}, // 232 in Windows-1250
    };
    for (const Row& row : rows)
        EXPECT_EQ(LoginLink::Heslo(row.password), row.heslo) << row.password;
}

TEST(LoginLink, DigitsAndDashesOnlyAndBackAgain)
{
    for (const QString& password :
         {u"abc"_s, u"demo"_s, u"Žluťoučký kůň"_s, u"x/@/y&z=1#?"_s, u"12345678"_s}) {
        const QString heslo = LoginLink::Heslo(password);
        for (const QChar c : heslo)
            EXPECT_TRUE(c.isDigit() || c == u'-') << heslo;
        EXPECT_EQ(LoginLink::password(heslo), password);
    }
    // What Heslo cannot make is no password at all.
    for (const QString& garbage :
         {u"7"_s, u"75a--554-"_s, u"-"_s, u"5-"_s, u"999-999-"_s, u"755--554"_s, u"../../etc"_s})
        EXPECT_FALSE(LoginLink::password(garbage).has_value()) << garbage;
}

TEST(LoginLink, MakePageReKeepsAnAddressInOneSegment)
{
    EXPECT_EQ(LoginLink::MakePageRe(u"zuv/edit.php?id=1&h=2#x"_s),
              u"zuv*l*edit.php*o*id*r*1*a*h*r*2*k*x"_s);
}
