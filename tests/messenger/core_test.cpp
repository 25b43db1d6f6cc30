#include <core/loginreply.h>
#include <core/loopguards.h>
#include <core/refreshcycle.h>
#include <core/refreshreply.h>
#include <core/requests.h>
#include <core/search.h>
#include <gtest/gtest.h>
#include <support/qtprint.h>

using namespace Qt::StringLiterals;
using namespace zuv::messenger;

TEST(RefreshReply, LinesAreRecognisedByTheirBeginning)
{
    struct Row
    {
        QString line;
        ReplyLine kind;
        QString value;
    };
    const Row rows[] = {
        {u">Zuv>100002/@/Eva/@/s1/@/online/@/25/@/"_s, ReplyLine::Contact,
         u"100002/@/Eva/@/s1/@/online/@/25/@/"_s},
        {u">MsG>100002/@/Eva/@/x"_s, ReplyLine::Message, u"100002/@/Eva/@/x"_s},
        {u">WWW>http://x/@/t/@/"_s, ReplyLine::WebWindow, u"http://x/@/t/@/"_s},
        {u">SVPlay>/@/15"_s, ReplyLine::RemotePlay, u"/@/15"_s},
        {u">FiQ>abc"_s, ReplyLine::SharedFile, u"abc"_s},
        {u"online:12"_s, ReplyLine::Online, u"12"_s},
        {u"inbox:3"_s, ReplyLine::Inbox, u"3"_s},
        {u"mynick:Šárka"_s, ReplyLine::MyNick, u"Šárka"_s},
        {u"timerakta:8000"_s, ReplyLine::ActiveInterval, u"8000"_s},
        {u"timeraktb:40000"_s, ReplyLine::PassiveInterval, u"40000"_s},
        {u"timeraktc:1500"_s, ReplyLine::FastInterval, u"1500"_s},
        {u"zuvnewversion"_s, ReplyLine::NewVersion, u""_s},
        {u"er:pass57302918zuv"_s, ReplyLine::WrongPassword, u""_s},
        {u"er:stopuserzuv"_s, ReplyLine::Suspended, u""_s},
        {u"Online:12"_s, ReplyLine::Unknown, u""_s},
        {u" >Zuv>x"_s, ReplyLine::Unknown, u""_s},
        {u""_s, ReplyLine::Unknown, u""_s},
    };
    for (const Row& row : rows) {
        const ClassifiedLine got = classifyReplyLine(row.line);
        EXPECT_EQ(got.kind, row.kind) << row.line.toStdString();
        EXPECT_EQ(got.value, row.value) << row.line.toStdString();
    }
}

TEST(Requests, RefreshKeysInOrderWithTheBuildWhileItIsSent)
{
    RefreshQuery q{u"100001"_s, u"tajné heslo"_s, u"off"_s, u":)"_s, u"0"_s, u"on"_s, true};
    EXPECT_EQ(refreshUrl(u"http://127.0.0.1:8940"_s, u"all"_s, q),
              u"http://127.0.0.1:8940/zuv/all.php?id=100001&h=tajné heslo&aktualizace=&radio=off"
              "&nalada=:)&zuvrezim=0&ws=1&build=100018"_s);
    q.sendBuild = false;
    q.startWithSystem = u"off"_s;
    EXPECT_EQ(refreshUrl(u"http://s"_s, u"msg"_s, q),
              u"http://s/zuv/all_msg.php?id=100001&h=tajné heslo&aktualizace=&radio=off&nalada=:)"
              "&zuvrezim=0&ws=0"_s);
    EXPECT_TRUE(refreshUrl(u"http://s"_s, u"x.php"_s, q).startsWith(u"http://s/zuv/x.php?id="_s));
    EXPECT_EQ(downloaderCommand(u"load.exe"_s, u"http://s/a"_s, u"C:\\z\\user_del.tt"_s, true),
              u"load.exe http://s/a/@/C:\\z\\user_del.tt/@/show"_s);
}

TEST(LoginReply, ThreeLineKinds)
{
    const LoginReply both = parseLoginReply({u"zuvid:100007"_s, u"zuvok:Vítejte, Evo!"_s});
    EXPECT_EQ(both.number, u"100007"_s);
    EXPECT_EQ(both.welcome, u"Vítejte, Evo!"_s);
    const LoginReply idOnly = parseLoginReply({u"zuvid:100007"_s});
    EXPECT_TRUE(idOnly.number && !idOnly.welcome && idOnly.refusals.isEmpty());
    const LoginReply refused = parseLoginReply({u"zuvx:Špatné heslo"_s, u"něco jiného"_s});
    EXPECT_EQ(refused.refusals, QStringList{u"Špatné heslo"_s});
    EXPECT_FALSE(refused.number || refused.welcome);
}

TEST(RefreshCycle, TimeDifferenceBorrowsAndWrapsAtMidnight)
{
    EXPECT_EQ(ZuvRozdilCasu(QTime(10, 0, 0), QTime(10, 0, 7)), 7);
    EXPECT_EQ(ZuvRozdilCasu(QTime(10, 59, 50), QTime(11, 0, 5)), 15);
    EXPECT_EQ(ZuvRozdilCasu(QTime(23, 0, 0), QTime(0, 30, 0)), 5400);
    EXPECT_EQ(ZuvRozdilCasu(QTime(23, 0, 0), QTime(22, 59, 59)), 86399);
}

TEST(RefreshCycle, FullOrMessagesOnlyAroundTheThreshold)
{
    RefreshCycle cycle;
    cycle.setIntervals(u"10000"_s, u"30000"_s, u"2000"_s); // threshold (10000-2000)/1000 = 8 s
    cycle.ZuvinALLlastMinus();
    EXPECT_EQ(cycle.chooseRefresh(QTime(12, 0, 0)), u"all"_s) << "first tick after start is full";
    EXPECT_EQ(cycle.lastFullRefresh(), QTime(12, 0, 0));
    EXPECT_EQ(cycle.chooseRefresh(QTime(12, 0, 2)), u"msg"_s);
    EXPECT_EQ(cycle.chooseRefresh(QTime(12, 0, 8)), u"msg"_s) << "8 s is still within";
    EXPECT_EQ(cycle.chooseRefresh(QTime(12, 0, 9)), u"all"_s);
    EXPECT_EQ(cycle.chooseRefresh(QTime(12, 0, 19)), u"all"_s) << "ticks at the active interval";
}

TEST(RefreshCycle, FastModeEndsAfterFourTicksWithoutAReport)
{
    RefreshCycle cycle;
    cycle.setIntervals(u"10000"_s, u"30000"_s, u"2000"_s);
    EXPECT_TRUE(cycle.MSGoteviram()) << "fast mode was off: the timer is reset";
    EXPECT_FALSE(cycle.MSGoteviram());
    cycle.chooseRefresh(QTime(12, 0, 0));
    for (int tick = 1; tick <= 3; ++tick) {
        EXPECT_EQ(cycle.CheckSetInterval(), 2000) << tick;
        EXPECT_TRUE(cycle.fastMode());
    }
    // A report keeps it going.
    cycle.MSGseOzvalo();
    for (int tick = 1; tick <= 4; ++tick)
        EXPECT_EQ(cycle.CheckSetInterval(), 2000) << tick;
    EXPECT_FALSE(cycle.fastMode()) << "four ticks without msgon";
    EXPECT_EQ(cycle.lastFullRefresh(), QTime(23, 0, 0)) << "so the next tick is full";
    EXPECT_EQ(cycle.CheckSetInterval(), 10000);
}

TEST(LoopGuards, ReportEvery999thCount)
{
    LoopGuards guards;
    int reports = 0, firstAt = 0;
    for (int i = 1; i <= 2500; ++i) {
        if (!guards.CONTerrors(1)) {
            ++reports;
            if (!firstAt)
                firstAt = i;
        }
    }
    EXPECT_EQ(firstAt, 999);
    EXPECT_EQ(reports, 2);
    EXPECT_TRUE(guards.CONTerrors(5000)) << "an index out of range is no fault";
}

TEST(Intervals, TakenFromTextLikeANumberReader)
{
    RefreshCycle cycle;
    cycle.setIntervals(u"0"_s, u""_s, u"50"_s);
    EXPECT_EQ(cycle.activeInterval(), 10000) << "a zero interval would spin the timer";
    EXPECT_EQ(cycle.passiveInterval(), 30000);
    EXPECT_EQ(cycle.fastInterval(), 2000);
    cycle.setFastInterval(1500);
    EXPECT_EQ(cycle.fastInterval(), 1500);

    EXPECT_EQ(intervalFromText(u"10000"_s), 10000);
    EXPECT_EQ(intervalFromText(u" 2500ms"_s), 2500);
    EXPECT_EQ(intervalFromText(u"abc"_s), 0);
    EXPECT_EQ(intervalFromText(u"99999999999999"_s), 999999999);
}

TEST(Search, AgeLimits)
{
    struct Row
    {
        QString from, to, sentFrom, sentTo;
        bool limited;
    };
    const Row rows[] = {
        {u""_s, u""_s, u""_s, u""_s, false},
        {u"18"_s, u""_s, u"18"_s, u"100"_s, true},
        {u""_s, u"30"_s, u"0"_s, u"30"_s, true},
        {u"20"_s, u"25"_s, u"20"_s, u"25"_s, true},
    };
    for (const Row& row : rows) {
        const AgeLimits ages = searchAgeLimits(row.from, row.to);
        EXPECT_EQ(ages.from, row.sentFrom) << row.from << "/" << row.to;
        EXPECT_EQ(ages.to, row.sentTo) << row.from << "/" << row.to;
        EXPECT_EQ(ages.limited(), row.limited);
    }
    EXPECT_TRUE(ageNotice({u"18"_s, u"100"_s})
                    .contains(u"jejichž věk je v rozmezí od 18 do 100 let.\r\nUživatelů"_s));
}

TEST(Search, ValuesThatWouldChangeTheRequestGoEncoded)
{
    SearchForm form;
    form.nick = u"a&h=x/@//tmp/f#+%"_s;
    form.town = u"Frýdek-Místek"_s; // as typed: the downloader encodes what it must
    const QString url = searchUrl(u"http://s"_s, u"100001"_s, u"pw"_s, form);
    EXPECT_TRUE(url.contains(u"&nick=a%26h=x/%40//tmp/f%23%2B%25&line="_s)) << url;
    EXPECT_TRUE(url.endsWith(u"&mesto=Frýdek-Místek"_s)) << url;
    EXPECT_FALSE(url.contains(u"/@/"_s));
}

TEST(Search, ReplyLinesAndRecords)
{
    EXPECT_EQ(classifySearchLine(u"num//12"_s).kind, SearchLine::Num);
    EXPECT_EQ(classifySearchLine(u"num//12"_s).value, u"12"_s);
    EXPECT_EQ(classifySearchLine(u"next//search.php?od=20"_s).value, u"search.php?od=20"_s);
    EXPECT_EQ(classifySearchLine(u"svs//"_s).kind, SearchLine::Svs);
    EXPECT_EQ(classifySearchLine(u"add//1/@/2"_s).value, u"1/@/2"_s);
    EXPECT_EQ(classifySearchLine(u" num//1"_s).kind, SearchLine::Other);
    EXPECT_EQ(listenersCaption(u""_s), u""_s);
    EXPECT_EQ(listenersCaption(u"r15"_s), u"...uživatelé, kteří poslouchají r15"_s);

    const auto r = parseSearchResult(
        u"100002/@/:))/@/Eva/@/Eva/@/Nová/@/25/@/ano/@/online/@/r15/@/Žena/@//@/Brno"_s);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->number, u"100002"_s);
    EXPECT_EQ(r->nick, u"Eva"_s);
    EXPECT_EQ(r->surname, u"Nová"_s);
    EXPECT_EQ(r->player, u"ano"_s);
    EXPECT_EQ(r->station, u"r15"_s);
    EXPECT_EQ(r->sex, u"Žena"_s);
    EXPECT_EQ(r->town, u"Brno"_s);
    EXPECT_FALSE(parseSearchResult(u"100002/@/:))/@/Eva"_s)) << "fields missing";
    EXPECT_FALSE(parseSearchResult(u"../x/@/off/@/a/@/b/@/c/@/d/@/e/@/f/@/g/@/h/@/i/@/j"_s))
        << "a number names files and windows";

    const std::pair<QString, QString> moods[] = {
        {u"off"_s, u"off"_s}, {u"(:)"_s, u"s0"_s}, {u":))"_s, u"s1"_s}, {u":)"_s, u"s2"_s},
        {u":|"_s, u"s3"_s},   {u":("_s, u"s4"_s},  {u"??"_s, u"off"_s}};
    for (const auto& [mood, key] : moods)
        EXPECT_EQ(resultImageKey(mood), key) << mood;
}

TEST(Search, RemoteValuesAndAdditionAnswers)
{
    EXPECT_EQ(remoteSearchValues(u"E*xva|*x|Nov*x*xá"_s),
              (QStringList{u"Eva"_s, u""_s, u"Nová"_s}));
    EXPECT_EQ(classifyUserAddLine(u"noadd//"_s).kind, UserAddAnswer::NotAdded);
    EXPECT_EQ(classifyUserAddLine(u"exist//"_s).kind, UserAddAnswer::Exists);
    EXPECT_EQ(classifyUserAddLine(u"nick// Karel"_s).kind, UserAddAnswer::Added);
    EXPECT_EQ(classifyUserAddLine(u"nick// Karel"_s).nick, u"Karel"_s);
    EXPECT_EQ(classifyUserAddLine(u"nic"_s).kind, UserAddAnswer::Other);
}
