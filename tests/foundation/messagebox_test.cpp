#include <QJsonDocument>
#include <QJsonObject>
#include <foundation/gui/messagebox.h>
#include <gtest/gtest.h>
#include <support/processes.h>
#include <support/tempsuite.h>

using namespace Qt::StringLiterals;
using namespace zuv;

TEST(MessageBox, LoggedAndAnsweredFromTheScript)
{
    zuvtest::TempSuite suite;
    // The answers are consumed in order by the boxes that come up.
    suite.setEnv("ZUV_MSGBOX_ANSWERS", "yes,ok,cancel");
    EXPECT_EQ(MsgBox(u"Opravdu chcete program Zuvnet vypnout?"_s, MsgButtons::YesNo,
                     MsgIcon::Question, u"Zuv"_s),
              MsgAnswer::Yes);
    EXPECT_EQ(MsgBox(u"Řádek 1\r\nŘádek 2"_s, MsgButtons::Ok, MsgIcon::Information), MsgAnswer::Ok);
    // "cancel" on a Yes/No box is no answer it can give: the question gets "no".
    EXPECT_EQ(MsgBox(u"?"_s, MsgButtons::YesNo, MsgIcon::Critical, u"t"_s), MsgAnswer::No);
    // Script used up: questions get "no", others "ok".
    EXPECT_EQ(MsgBox(u"q"_s, MsgButtons::YesNo, MsgIcon::Exclamation, u"t"_s), MsgAnswer::No);
    EXPECT_EQ(MsgBox(u"i"_s, MsgButtons::Ok, MsgIcon::None, u"t"_s), MsgAnswer::Ok);

    const QStringList lines = zuvtest::logLines(suite.msgBoxLog());
    ASSERT_EQ(lines.size(), 5);
    const QJsonObject first = QJsonDocument::fromJson(lines[0].toUtf8()).object();
    EXPECT_EQ(first[u"program"_s].toString(), u"foundation_launch_test"_s);
    EXPECT_EQ(first[u"icon"_s].toString(), u"question"_s);
    EXPECT_EQ(first[u"buttons"_s].toString(), u"yesno"_s);
    EXPECT_EQ(first[u"title"_s].toString(), u"Zuv"_s);
    EXPECT_EQ(first[u"text"_s].toString(), u"Opravdu chcete program Zuvnet vypnout?"_s);
    EXPECT_EQ(first[u"answer"_s].toString(), u"yes"_s);
    const QJsonObject second = QJsonDocument::fromJson(lines[1].toUtf8()).object();
    EXPECT_EQ(second[u"text"_s].toString(), u"Řádek 1\r\nŘádek 2"_s);
    EXPECT_EQ(second[u"icon"_s].toString(), u"information"_s);
    EXPECT_EQ(second[u"buttons"_s].toString(), u"ok"_s);
    EXPECT_FALSE(second[u"title"_s].toString().isEmpty());
    EXPECT_EQ(QJsonDocument::fromJson(lines[2].toUtf8()).object()[u"icon"_s].toString(),
              u"critical"_s);
    EXPECT_EQ(QJsonDocument::fromJson(lines[3].toUtf8()).object()[u"icon"_s].toString(),
              u"exclamation"_s);
    EXPECT_EQ(QJsonDocument::fromJson(lines[4].toUtf8()).object()[u"icon"_s].toString(), u"none"_s);
}
