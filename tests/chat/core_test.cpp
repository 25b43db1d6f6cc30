#include <QProcess>
#include <QThread>
#include <core/chatlayout.h>
#include <core/chatsettings.h>
#include <core/historyfile.h>
#include <core/historypage.h>
#include <core/incomingmessage.h>
#include <core/links.h>
#include <core/safehtml.h>
#include <core/sendrequest.h>
#include <ctime>
#include <foundation/codepage.h>
#include <gtest/gtest.h>
#include <support/processes.h>
#include <support/qtprint.h>
#include <support/tempsuite.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace zuv::chat;

namespace {

// The page as it must come out, piece by piece.
QByteArray expectedEmptyPage(const char* fontSize)
{
    return QByteArray("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\"><HTML>") +
           "<HEAD><META HTTP-EQUIV=\"content-type\" CONTENT=\"text/html; "
           "charset=windows-1250\"></HEAD>" +
           "<BODY><STYLE type=text/css media=all>BODY {  MARGIN: 0px; COLOR: #000000; FONT-FAMILY: "
           "Tahoma, Verdana, Arial, Helvetica, sans-serif; TEXT-ALIGN: left}P {   MARGIN: 0px 5px "
           "10px; LINE-HEIGHT: 100%}.header {   PADDING-RIGHT: 0px; PADDING-LEFT: 2px; FONT-SIZE: "
           "11px; PADDING-BOTTOM: 2px; MARGIN: 0px 0px 1px; PADDING-TOP: 2px; BACKGROUND-COLOR: "
           "#dbedba}.zuv_n {  FONT-WEIGHT: bold; COLOR: #747372}.zuv_t {  FONT-WEIGHT: "
           "bold}.qdate {  COLOR: #747372}.text {  FONT-SIZE: 11px}.qtext {    FONT-SIZE: " +
           QByteArray(fontSize) +
           "px}.text { COLOR: #747372}.logInfo {   FONT-SIZE: 11px; MARGIN: 4px 0px 0px; COLOR: "
           "#666666}H2 {   FONT-SIZE: 18px; MARGIN: 0px; COLOR: #666666; FONT-FAMILY: Arial, "
           "Tahoma, Verdana, Helvetica, sans-serif; LETTER-SPACING: -1px}H3 { FONT-SIZE: 18px; "
           "MARGIN: 25px 0px 12px; FONT-FAMILY: Arial, Tahoma, Verdana, Helvetica, sans-serif; "
           "LETTER-SPACING: -1px}</STYLE><A name=zuv_end></A></BODY></HTML>";
}

const QString kEnd = u"<A name=zuv_end></A></BODY></HTML>"_s;

QString anchor(const QString& url)
{
    return u"<a target=_blank href='"_s + url + u"'>"_s + url + u"</a>"_s;
}

} // namespace

TEST(HistoryPage, EmptyPageAndBothEntryKindsByteForByte)
{
    EXPECT_EQ(zuv::CodePage::encode(emptyHistoryPage(u"11"_s)), expectedEmptyPage("11"));
    EXPECT_EQ(zuv::CodePage::encode(emptyHistoryPage(u"14"_s)), expectedEmptyPage("14"));

    const QString received =
        historyEntry(u"from"_s, u"Šárka"_s, u"07:05:03 (09.12.26)"_s, u"Ahoj, jak se máš?"_s);
    EXPECT_EQ(zuv::CodePage::encode(received),
              zuvtest::cp1250(u"<P class=header><SPAN class=zuv_t>Šárka:</SPAN> 07:05:03 "
                              "(09.12.26)</P><P class=qtext>Ahoj, jak se máš?</P>"_s));
    const QString sent = historyEntry(u"to"_s, u"Žofie"_s, u"2026-12-09 07:05:04"_s, u"Dobře"_s);
    EXPECT_EQ(zuv::CodePage::encode(sent),
              zuvtest::cp1250(u"<P class=header><SPAN class=zuv_n>Žofie:</SPAN><SPAN class=qdate> "
                              "(2026-12-09 07:05:04)</SPAN></P><P class=text>Dobře</P>"_s));
    EXPECT_EQ(historyEntry(u"FROM"_s, u"a"_s, u"t"_s, u"x"_s),
              historyEntry(u"from"_s, u"a"_s, u"t"_s, u"x"_s));
    EXPECT_EQ(historyEntry(u"To"_s, u"a"_s, u"t"_s, u"x"_s),
              historyEntry(u"to"_s, u"a"_s, u"t"_s, u"x"_s));
    EXPECT_TRUE(historyEntry(u"od"_s, u"a"_s, u"t"_s, u"x"_s).isEmpty());
}

TEST(HistoryPage, EntriesGoBeforeTheEndMarkerAndThePageIsConvertedWhole)
{
    const QString dir = u"/opt/zuv"_s;
    const QString empty = emptyHistoryPage(u"14"_s) + u"\r\n"_s;
    const QString head = emptyHistoryPage(u"14"_s).chopped(kEnd.size());
    const QString first = historyEntry(u"from"_s, u"Eva"_s, u"t1"_s, u"**03 *.and *.u1"_s);
    const MergedPage one = mergeEntry(empty, first, dir);
    const QString converted =
        historyEntry(u"from"_s, u"Eva"_s, u"t1"_s,
                     u"<img src='/opt/zuv\\Zuv_Data\\img\\sm\\03.gif'></img> & *.u1"_s);
    EXPECT_EQ(one.page, head + converted + kEnd);
    EXPECT_EQ(one.entry, converted);

    // A page of several lines is joined; text that came in unconverted by
    // another route is converted too; another kind rewrites it unchanged.
    const QString twoLines = head + u"\r\n<P>stará **01 *.plus</P>\n"_s + kEnd + u"\r\n"_s;
    const MergedPage other = mergeEntry(twoLines, historyEntry(u"jiný"_s, {}, {}, {}), dir);
    EXPECT_EQ(other.page, head +
                              u"<P>stará <img src='/opt/zuv\\Zuv_Data\\img\\sm\\01.gif'></img> "
                              "+</P>"_s +
                              kEnd);
    EXPECT_TRUE(other.entry.isEmpty());
    // The font size the page was made with stays.
    EXPECT_TRUE(one.page.contains(u".qtext {    FONT-SIZE: 14px}"_s));
}

TEST(HistoryPage, AMessageHoldingTheEndMarkerLosesNothing)
{
    const QString evil = historyEntry(u"from"_s, u"X"_s, u"t"_s, u"a <a name=ZUV_END></a> b"_s);
    const MergedPage one = mergeEntry(emptyHistoryPage(u"11"_s), evil, {});
    const MergedPage two = mergeEntry(one.page, historyEntry(u"to"_s, u"Y"_s, u"t"_s, u"c"_s), {});
    EXPECT_TRUE(two.page.contains(evil));
    EXPECT_TRUE(two.page.endsWith(u"<P class=text>c</P>"_s + kEnd));
    // A page without any marker is kept and extended.
    EXPECT_EQ(mergeEntry(u"<P>cizí</P>"_s, u"<P>n</P>"_s, {}).page,
              u"<P>cizí</P><P>n</P>"_s + kEnd);
}

TEST(HistoryPage, SmileyCodesOneToTwelveBecomePictures)
{
    const auto pic = [](const char* n) {
        return u"<img src='D\\Zuv_Data\\img\\sm\\"_s + QLatin1String(n) + u".gif'></img>"_s;
    };
    struct Row
    {
        QString text, expected;
    };
    const Row rows[] = {
        {u"**03**03"_s, pic("03") + pic("03")},
        {u"**13 **00 **1 *01"_s, u"**13 **00 **1 *01"_s},
        {u"***01"_s, u"*"_s + pic("01")},
        {u"**12**120"_s, pic("12") + pic("12") + u"0"_s},
        {u"**"_s, u"**"_s},
    };
    for (const Row& row : rows)
        EXPECT_EQ(SmileFinder(row.text, u"D"_s), row.expected) << row.text.toStdString();
}

TEST(HistoryPage, ThreeEscapesAreDecodedTheOthersStay)
{
    EXPECT_EQ(decodeEscapes(u"a*.andb *./=/1 1*.plus1 *.AND *.Plus"_s), u"a&b #1 1+1 & +"_s);
    EXPECT_EQ(decodeEscapes(u"*.u1uvozovky*.u1 *.u2 *.l *. *.an"_s),
              u"*.u1uvozovky*.u1 *.u2 *.l *. *.an"_s);
    EXPECT_EQ(decodeEscapes(u"*.*.andand"_s), u"*.&and"_s);
}

TEST(Links, WordsBecomeAnchorsAsThePhasesGive)
{
    struct Row
    {
        QString text, expected;
    };
    const QString www = anchor(u"http://www.example.cz"_s);
    const Row rows[] = {
        {u"Ahoj www.example.cz"_s, u"Ahoj "_s + www + u" "_s},
        {u"http://www.example.cz"_s, www + u" "_s},
        {u"HTTP://Example.cz/Cesta?a=1"_s, anchor(u"http://Example.cz/Cesta?a=1"_s) + u" "_s},
        {u"viz www.example.cz, dík"_s,
         u"viz "_s + anchor(u"http://www.example.cz,"_s) + u" dík "_s},
        {u"www.a.cz www.a.cz"_s,
         anchor(u"http://www.a.cz"_s) + u" "_s + anchor(u"http://www.a.cz"_s) + u" "_s},
        {u"bez odkazu"_s, u"bez odkazu "_s},
        {u"*zuvserver/zuv/x.php"_s, u"http://127.0.0.1:8940/zuv/x.php "_s},
        // A link inside a link is part of it; the text does not grow for ever.
        {u"www.a.cz/www.b"_s, anchor(u"http://www.a.cz/www.b"_s) + u" "_s},
        {u"www.a.cz/?u=http://b.cz"_s, anchor(u"http://www.a.cz/?u=http://b.cz"_s) + u" "_s},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(VytvorURL(row.text, u"http://127.0.0.1:8940"_s), row.expected)
            << row.text.toStdString();
    }
    EXPECT_EQ(firstLinkTarget(u"x "_s + www + anchor(u"http://b"_s)), u"http://www.example.cz"_s);
    EXPECT_EQ(firstLinkTarget(u"a HTTP://x"_s), u"HTTP://x"_s);
    EXPECT_FALSE(firstLinkTarget(u"www.nic"_s));
}

TEST(ChatCommandLine, FieldsAndTheTail)
{
    const ChatSettings s = parseChatCommandLine(
        u"Eva [100002]/@/100001/@/heslo/@/http://s/@/Eva/@/já/@/100002/@/14@0"_s);
    EXPECT_EQ(s.WindowTitle, u"Eva [100002]"_s);
    EXPECT_EQ(s.OwnId, u"100001"_s);
    EXPECT_EQ(s.AuthH, u"heslo"_s);
    EXPECT_EQ(s.ServerBase, u"http://s"_s);
    EXPECT_EQ(s.ContactNick, u"Eva"_s);
    EXPECT_EQ(s.OwnNick, u"já"_s);
    EXPECT_EQ(s.ContactId, u"100002"_s);

    struct Row
    {
        QString tail, fontSize, sound;
    };
    const Row rows[] = {
        {u"14@0"_s, u"14"_s, u"0"_s}, {u"@1"_s, u"11"_s, u"1"_s}, {u"12@1@x"_s, u"12"_s, u"1"_s},
        {u"14"_s, u"11"_s, u"0"_s},   {u""_s, u"11"_s, u"0"_s},   {u"@"_s, u"11"_s, u"0"_s},
        {u"9@ 1"_s, u"9"_s, u"0"_s},
    };
    for (const Row& row : rows) {
        const ChatSettings t = parseChatCommandLine(u"t/@/1/@/h/@/s/@/n/@/o/@/2/@/"_s + row.tail);
        EXPECT_EQ(t.FontSize, row.fontSize) << row.tail.toStdString();
        EXPECT_EQ(t.SoundFlag, row.sound) << row.tail.toStdString();
    }
    // Fewer fields are empty values.
    const ChatSettings few = parseChatCommandLine(u"Titulek/@/100001"_s);
    EXPECT_EQ(few.WindowTitle, u"Titulek"_s);
    EXPECT_EQ(few.OwnId, u"100001"_s);
    EXPECT_TRUE(few.ContactId.isEmpty());
    EXPECT_EQ(few.FontSize, u"11"_s);
    EXPECT_EQ(few.SoundFlag, u"0"_s);
}

TEST(ChatCommandLine, IdsThatCouldLeaveTheCacheFolderAreRefused)
{
    for (const QString& id : {u"100002"_s, u""_s, u"a.b"_s})
        EXPECT_TRUE(fileIdProblem(id).isEmpty()) << id.toStdString();
    for (const QString& id : {u"../x"_s, u".."_s, u"a/b"_s, u"a\\b"_s, u"/etc"_s})
        EXPECT_FALSE(fileIdProblem(id).isEmpty()) << id.toStdString();
}

TEST(IncomingMessage, TheTextIsAllAfterTheThirdSeparator)
{
    const IncomingMessage m =
        parseIncomingMessage(u">MsG>100002/@/Eva/@/2026-12-09 07:05:03/@/a/@/b/@/"_s);
    EXPECT_EQ(m.nick, u"Eva"_s);
    EXPECT_EQ(m.time, u"2026-12-09 07:05:03"_s);
    EXPECT_EQ(m.text, u"a/@/b/@/"_s);
    const IncomingMessage bare = parseIncomingMessage(u"100002/@/Eva/@/t/@/x"_s);
    EXPECT_EQ(bare.nick, m.nick);
    EXPECT_EQ(bare.text, u"x"_s);
    EXPECT_TRUE(parseIncomingMessage(u"fmax"_s).text.isEmpty());
}

TEST(IncomingMessage, TimesOfTheServerFormsAreShownAlike)
{
    qputenv("TZ", "UTC");
    tzset();
    struct Row
    {
        QString time, shown;
    };
    const Row rows[] = {
        {u"2026-12-09 07:05:03"_s, u"07:05:03 (09.12.26)"_s},
        {u"9.12.2026 7:05:03"_s, u"07:05:03 (09.12.26)"_s},
        {u"09.12.2026 17:05:03"_s, u"17:05:03 (09.12.26)"_s},
        {u"1765263903"_s, u"07:05:03 (09.12.25)"_s},
        {u"včera večer"_s, u"včera večer"_s},
        {u"2026-13-45 99:00:00"_s, u"2026-13-45 99:00:00"_s},
        {u""_s, u""_s},
    };
    for (const Row& row : rows)
        EXPECT_EQ(formatMessageTime(row.time), row.shown) << row.time.toStdString();
}

TEST(SendRequest, EscapesInOrderAndTheExactDownloaderStart)
{
    EXPECT_EQ(textForServer(u"a&b#c+d\"e'f\\g\nh"_s),
              u"a*.andb*./=/c*.plusd*.u1e*.u2f*.lg <br>h "_s);
    EXPECT_EQ(textForServer(u"řádek\r\ndruhý"_s), u"řádek <br>druhý "_s);
    EXPECT_EQ(textForServer(u"*.and"_s), u"*.and "_s);

    ChatSettings s;
    s.ServerBase = u"http://127.0.0.1:8940"_s;
    s.OwnId = u"100001"_s;
    s.AuthH = u"demo"_s;
    s.ContactId = u"100002"_s;
    EXPECT_EQ(replyFileFor(s, u"/home/eva/zuv"_s), u"/home/eva/zuv/zuv_add-100001-100002.tt"_s);
    EXPECT_EQ(sendCommandLine(s, replyFileFor(s, u"/home/eva/zuv"_s), u"Ahoj *.and "_s),
              u"load.exe http://127.0.0.1:8940/zuv/message_add.php?id=100001&h=demo&to=100002"
              "&ver=1&text=Ahoj *.and /@//home/eva/zuv/zuv_add-100001-100002.tt/@/show"_s);
}

TEST(SendRequest, TheStoredCopyIsReadBetweenItsMarkers)
{
    const auto reply =
        parseSentReply(u"x<text>Ahoj *.and </text><time>2026-12-09 07:05:03</time>"_s);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->text, u"Ahoj *.and "_s);
    EXPECT_EQ(reply->time, u"2026-12-09 07:05:03"_s);
    EXPECT_EQ(parseSentReply(u"<text>a</text>"_s)->time, u""_s);
    EXPECT_FALSE(parseSentReply(u"er:pass57302918zuv"_s));
    EXPECT_FALSE(parseSentReply(u"<text>bez konce"_s));
}

TEST(ChatLayout, ControlsFollowTheWindowAndSmallWindowsGrow)
{
    const ChatLayout l = Form_Resize(6000, 5400, false);
    EXPECT_FALSE(l.widenTo);
    EXPECT_FALSE(l.heightenTo);
    EXPECT_EQ(l.Text1Width, 5570);
    EXPECT_EQ(l.Image7Left, 5560);
    EXPECT_EQ(l.Image20Left, 5180);
    EXPECT_EQ(l.Image6Left, 5575);
    EXPECT_EQ(l.WebBrowser1Width, 5900);
    EXPECT_EQ(l.buttonsTop, 3760);
    EXPECT_EQ(l.SmileSTop, 3820);
    EXPECT_EQ(l.Text1Top, 4120);
    EXPECT_EQ(l.WebBrowser1Height, 3720);

    EXPECT_EQ(Form_Resize(2600, 3000, false).widenTo, 2610);
    EXPECT_EQ(Form_Resize(2600, 3000, false).heightenTo, 3010);
    EXPECT_FALSE(Form_Resize(2601, 3001, false).widenTo);
    EXPECT_EQ(Form_Resize(5000, 4000, true).widenTo, 5810);
    EXPECT_FALSE(Form_Resize(5801, 4000, true).widenTo);
}

TEST(HistoryFile, MadeOnceInACacheFolderAndExtendedInPlace)
{
    zuvtest::TempSuite suite;
    const HistoryFile file(HistoryFile::pathFor(suite.dir(), u"100001"_s, u"100002"_s));
    EXPECT_EQ(file.path(), suite.dir() + u"\\Cache\\100001-100002.htm"_s);
    ASSERT_TRUE(file.TestHTMLex(u"13"_s));
    EXPECT_EQ(suite.read(u"Cache/100001-100002.htm"_s), expectedEmptyPage("13") + "\r\n");
    // Conversations are the member's alone.
    struct stat info;
    ASSERT_EQ(::stat(QFile::encodeName(suite.path(u"Cache"_s)).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    ASSERT_EQ(
        ::stat(QFile::encodeName(suite.path(u"Cache/100001-100002.htm"_s)).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    // An existing page is not touched, whatever the font size is now.
    EXPECT_TRUE(file.TestHTMLex(u"20"_s));
    EXPECT_EQ(suite.read(u"Cache/100001-100002.htm"_s), expectedEmptyPage("13") + "\r\n");

    const auto added = file.add(historyEntry(u"from"_s, u"Eva"_s, u"t"_s, u"řeč"_s), suite.dir());
    EXPECT_TRUE(added.written);
    const QByteArray bytes = suite.read(u"Cache/100001-100002.htm"_s);
    EXPECT_TRUE(bytes.endsWith(zuvtest::cp1250(u"<P class=qtext>řeč</P>"_s + kEnd) + "\r\n"));
    EXPECT_EQ(bytes.count("\r\n"), 1);
    EXPECT_TRUE(file.remove());
    EXPECT_FALSE(file.add(u"<P>x</P>"_s, suite.dir()).written); // no page, nothing invented
}

TEST(HistoryFile, AKilledWriterNeverLeavesAPartPage)
{
    zuvtest::TempSuite suite;
    const QString path = suite.path(u"Cache/100001-100002.htm"_s);
    const QByteArray tail = zuvtest::cp1250(kEnd) + "\r\n";
    const QByteArray head = expectedEmptyPage("11").chopped(kEnd.size());
    for (int round = 0; round < 8; ++round) {
        QProcess writer;
        writer.start(zuvtest::helperPath(u"historywriter"_s), {path});
        ASSERT_TRUE(writer.waitForStarted());
        QThread::msleep(150 + 37 * round);
        writer.kill();
        writer.waitForFinished();
        const QByteArray bytes = suite.read(u"Cache/100001-100002.htm"_s);
        ASSERT_TRUE(bytes.startsWith(head)) << "round " << round;
        ASSERT_TRUE(bytes.endsWith(tail)) << "round " << round << ", " << bytes.size() << " bytes";
    }
}

TEST(HistoryFile, AddingGivesTheMergedPageWhetherTheStoredPartIsKeptOrConverted)
{
    zuvtest::TempSuite suite;
    const QString head = emptyHistoryPage(u"11"_s).chopped(kEnd.size());
    const QString entry = historyEntry(u"from"_s, u"Eva"_s, u"t"_s, u"nový **02 *.plus"_s);
    // Clean as written by the window, with the marker in another case; then
    // with an old line break, a smiley code and an escape left in it.
    for (const QString& stored :
         {head + u"<P>**13 *.u1</P><a NAME=zuv_END></a></BODY></HTML>\r\n"_s,
          head + u"<P>řádek\r\n**04 *.AND</P>"_s + kEnd + u"\r\n"_s}) {
        suite.write(u"Cache/h.htm"_s, zuv::CodePage::encode(stored));
        const HistoryFile file(suite.path(u"Cache/h.htm"_s));
        const MergedPage expected = mergeEntry(stored, entry, u"/z"_s);
        const auto added = file.add(entry, u"/z"_s);
        EXPECT_TRUE(added.written);
        EXPECT_EQ(added.entry, expected.entry);
        EXPECT_EQ(suite.read(u"Cache/h.htm"_s), zuv::CodePage::encode(expected.page) + "\r\n")
            << stored.toStdString();
    }
}

TEST(HistoryPage, ALongPageIsShownFromItsLastEntries)
{
    const QString head = emptyHistoryPage(u"11"_s).chopped(kEnd.size());
    QString entries;
    for (int i = 0; i < 5; ++i)
        entries += historyEntry(u"from"_s, u"Eva"_s, u"t"_s, QString::number(i));
    const PageTail tail = pageTail(head + entries + kEnd, 2);
    const qsizetype third = entries.indexOf(kEntryStart, entries.indexOf(kEntryStart, 1) + 1);
    const qsizetype fourth = entries.indexOf(kEntryStart, third + 1);
    EXPECT_EQ(tail.shown, head + entries.mid(fourth) + kEnd);
    EXPECT_EQ(tail.older, entries.left(fourth));
    QString older = tail.older;
    EXPECT_EQ(takeLastEntries(older, 2), entries.mid(entries.indexOf(kEntryStart, 1),
                                                     fourth - entries.indexOf(kEntryStart, 1)));
    EXPECT_EQ(takeLastEntries(older, 2), entries.left(entries.indexOf(kEntryStart, 1)));
    EXPECT_TRUE(older.isEmpty());
    // Short pages and pages without entries are shown whole.
    EXPECT_EQ(pageTail(head + entries + kEnd, 5).shown, head + entries + kEnd);
    EXPECT_TRUE(pageTail(head + entries + kEnd, 5).older.isEmpty());
    EXPECT_EQ(pageTail(u"<P>cizí</P>"_s, 1).shown, u"<P>cizí</P>"_s);
}

TEST(SafeHtml, MessageTextNeverOpensATag)
{
    const std::pair<QString, QString> rows[] = {
        {u"a < b > c"_s, u"a &lt; b &gt; c"_s},
        {u"<table><tr><td>x"_s, u"&lt;table&gt;&lt;tr&gt;&lt;td&gt;x"_s},
        {u"řádek <br>druhý <BR>třetí"_s, u"řádek <br>druhý <br>třetí"_s}, // the sent line breaks
        {u"&amp; *.and www.x.cz"_s, u"&amp; *.and www.x.cz"_s},           // "&" stays
        {u"<br"_s, u"&lt;br"_s},
    };
    for (const auto& [text, escaped] : rows)
        EXPECT_EQ(escapeMarkup(text), escaped) << text.toStdString();
    // A link holding an apostrophe cannot end its own target.
    EXPECT_EQ(VytvorURL(u"www.x.cz/a'b"_s, {}), anchor(u"http://www.x.cz/a%27b"_s) + u" "_s);
}

TEST(SafeHtml, TheViewLaysOutOnlyThePagesOwnTagsAndBreaksLongWords)
{
    const QString entry =
        historyEntry(u"from"_s, u"Eva"_s, u"10:00:00 (09.12.26)"_s,
                     u"Ahoj <img src='C:\\Zuv\\Zuv_Data\\img\\sm\\03.gif'></img> "_s +
                         anchor(u"http://www.x.cz"_s) + u" <br>&amp;"_s);
    EXPECT_EQ(viewableEntries(entry + kEnd), entry + kEnd)
        << "what the page builds passes as it is";

    const QString old = u"<P class=qtext><table><tr><td><div>x</div></td></tr></table></P>"_s;
    EXPECT_EQ(viewableEntries(old), u"<P class=qtext>&lt;table>&lt;tr>&lt;td>&lt;div>x&lt;/div>"
                                    "&lt;/td>&lt;/tr>&lt;/table></P>"_s);
    EXPECT_EQ(viewableEntries(u"a <b> <spanx> <span"_s), u"a &lt;b> &lt;spanx> &lt;span"_s);

    // Spans and links nest a few levels at most.
    QString nested;
    for (int i = 0; i < 6; ++i)
        nested += u"<span>"_s;
    EXPECT_EQ(viewableEntries(nested), u"<span><span><span><span>&lt;span>&lt;span>"_s);

    // A long word breaks after every 64 characters, never in an entity or a
    // surrogate pair; a short one and a tag's attributes never.
    const QString word = QString(63, u'x') + u"&lt;"_s + u"😀"_s + QString(100, u'y');
    const QString broken = viewableEntries(word);
    EXPECT_EQ(broken, QString(63, u'x') + u"&lt;&#8203;"_s + u"😀"_s + QString(63, u'y') +
                          u"&#8203;"_s + QString(37, u'y'));
    const QString longLink = anchor(u"http://www.x.cz/"_s + QString(50, u'z'));
    EXPECT_TRUE(viewableEntries(longLink).startsWith(u"<a target=_blank href='http://www.x.cz/"_s +
                                                     QString(50, u'z') + u"'>"_s));
    EXPECT_EQ(viewableEntries(u"krátká slova jen"_s), u"krátká slova jen"_s);
}
