// The user search window in-process: the addresses it asks, the replies it
// shows, the additions and the searches other programs ask for.
#include <QApplication>
#include <QHeaderView>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <form1.h>
#include <foundation/bus/sendmessage.h>
#include <foundation/codepage.h>
#include <gtest/gtest.h>
#include <hledej.h>
#include <support/processes.h>
#include <support/tempsuite.h>

using namespace Qt::StringLiterals;
using namespace zuv;
using namespace zuv::messenger;

namespace {

const QString kEmptyQuery = u"/zuv/search.php?idh=100001&h=demo&id=&agefrom=&ageto=&nick=&line="
                            "&radiostav=&radio=&jmeno=&prijmeni=&zm=&poznamky=&mesto="_s;

struct SearchFixture : zuvtest::TempSuite
{
    SearchFixture()
    {
        setEnv("ZUV_ONLINE", "1");
        form.settings().Zuvid = u"100001"_s;
        form.settings().Zuvpass = u"demo"_s;
    }
    Hledej& search() { return form.showSearch(); }
    // The argument of every start of `program`, in order.
    QStringList started(const QString& program) const
    {
        QStringList found;
        for (const QString& line : zuvtest::logLines(shellLog())) {
            const QStringList fields = line.split(u'\t');
            if (fields.size() == 3 && fields[1].endsWith(program))
                found << fields[2];
        }
        return found;
    }
    QString replyTail() const { return u"/@/"_s + dir() + u"\\search.tt/@/show"_s; }
    QList<QJsonObject> boxes() const
    {
        QList<QJsonObject> result;
        for (const QString& line : zuvtest::logLines(msgBoxLog()))
            result.append(QJsonDocument::fromJson(line.toUtf8()).object());
        return result;
    }
    // Answers the search awaited with these lines.
    void reply(const QString& lines)
    {
        write(u"search.tt"_s, CodePage::encode(lines));
        search().Timer1_Timer();
    }
    QStringList column(int index)
    {
        QStringList texts;
        for (int i = 0; i < search().ListView1.topLevelItemCount(); ++i)
            texts << search().ListView1.topLevelItem(i)->text(index);
        return texts;
    }
    Form1 form;
};

QString result(const QString& number, const QString& mood, const QString& nick,
               const QString& age = {})
{
    return u"add//"_s + number + u"/@/"_s + mood + u"/@/"_s + nick + u"/@/Jan/@/Novák/@/"_s + age +
           u"/@/ne/@/offline/@//@/Muž/@//@/Brno\r\n"_s;
}

} // namespace

TEST(SearchWindow, AddressesOfAFilledAndAnEmptyForm)
{
    SearchFixture suite;
    Hledej& w = suite.search();
    EXPECT_EQ(w.windowTitle(), u"Hledej v Zuv..."_s);
    EXPECT_EQ(w.Label8.text(), u"připraven..."_s);
    suite.write(u"search.tt"_s, "add//100009/@/off/@/Stará/@/odpověď\r\n");

    w.Command1_Click();
    EXPECT_FALSE(QFile::exists(suite.path(u"search.tt"_s))) << "an old reply is never the answer";
    EXPECT_EQ(w.Label8.text(), u"probíhá hledání..."_s);
    EXPECT_TRUE(w.Timer1.isActive());
    EXPECT_EQ(w.Timer1.interval(), 500);
    EXPECT_TRUE(suite.boxes().isEmpty()) << "no ages, no notice";

    w.TextNick.setText(u"Eva"_s);
    w.TextJmeno.setText(u"Eva"_s);
    w.TextPrijmeni.setText(u"Nová"_s);
    w.TextAgeFrom.setText(u"18"_s);
    w.ComboZm.setCurrentIndex(1);
    w.TextMesto.setText(u"Brno"_s);
    w.TextPoznamky.setText(u"kočky & psi"_s);
    w.TextID.setText(u"100002"_s);
    w.CheckOnline.setChecked(true);
    w.CheckListening.setChecked(true);
    w.TextRadio.setText(u"r15"_s); // hidden without its check box: no condition
    w.Command1_Click();
    w.TextAgeFrom.clear();
    w.TextAgeTo.setText(u"30"_s);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, u"\r"_s);
    QApplication::sendEvent(&w.TextAgeTo, &enter); // Enter in a box searches

    const QStringList loads = suite.started(u"load.exe"_s);
    ASSERT_EQ(loads.size(), 3);
    EXPECT_EQ(loads[0], kEmptyQuery + suite.replyTail());
    EXPECT_EQ(loads[1], u"/zuv/search.php?idh=100001&h=demo&id=100002&agefrom=18&ageto=100"
                        "&nick=Eva&line=online&radiostav=on&radio=&jmeno=Eva&prijmeni=Nová&zm=z"
                        "&poznamky=kočky %26 psi&mesto=Brno"_s +
                            suite.replyTail());
    EXPECT_TRUE(loads[2].contains(u"&agefrom=0&ageto=30&"_s)) << loads[2];
    // The age notice comes once per window.
    const auto shown = suite.boxes();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0][u"icon"_s].toString(), u"information"_s);
    EXPECT_TRUE(shown[0][u"text"_s].toString().startsWith(
        u"Vyhledávání jste omezeli věkem.\r\nNyní budou zobrazeni jen ti uživatelé, kteří při "
        "registraci zadali své datum narození a jejichž věk je v rozmezí od 18 do 100 let."_s));
}

TEST(SearchWindow, AReplyFillsTheListAndOffersTheNextPage)
{
    SearchFixture suite;
    Hledej& w = suite.search();
    w.Command1_Click();
    suite.search().Timer1_Timer();
    EXPECT_TRUE(w.Timer1.isActive()) << "no reply yet: the search waits";
    suite.write(u"search.tt"_s, "");
    w.Timer1_Timer();
    EXPECT_TRUE(w.Timer1.isActive()) << "an empty file is no reply yet";

    suite.reply(u"num//3\r\nsvs//\r\n"_s + result(u"100002"_s, u":))"_s, u"Eva"_s, u"25"_s) +
                result(u"100003"_s, u"off"_s, u"Karel"_s) +
                u"add//100004/@/:)/@/krátký záznam\r\n"_s +
                result(u"100005"_s, u"(:)"_s, u"Ola"_s));
    EXPECT_FALSE(w.Timer1.isActive());
    EXPECT_EQ(w.Label8.text(), u"Nalezeno uživatelů: 3"_s);
    EXPECT_EQ(w.Label10.text(), u""_s);
    EXPECT_FALSE(w.Command2.isEnabled()) << "no next// line";
    ASSERT_EQ(w.ListView1.topLevelItemCount(), 3);
    const QTreeWidgetItem* eva = w.ListView1.topLevelItem(0);
    EXPECT_EQ(w.itemKey(eva), u"zuv100002"_s);
    EXPECT_EQ(eva->text(0), u" Eva"_s);
    EXPECT_EQ(suite.column(4), (QStringList{u"100002"_s, u"100003"_s, u"100005"_s}));
    EXPECT_EQ(eva->text(5), u"25"_s);
    EXPECT_EQ(eva->text(1), u"Muž"_s);
    EXPECT_EQ(eva->text(8), u"Brno"_s);
    EXPECT_FALSE(eva->icon(0).isNull());

    // A further page: its address as the server gave it, the reply appended.
    w.Command1_Click();
    suite.reply(u"num//21\r\nsvs//r15\r\nnext//search.php?idh=100001&od=20\r\n"_s +
                result(u"100002"_s, u":)"_s, u"Eva"_s));
    EXPECT_TRUE(w.Command2.isEnabled());
    EXPECT_EQ(w.Label10.text(), u"...uživatelé, kteří poslouchají r15"_s);
    w.Command2_Click();
    EXPECT_EQ(w.Label8.text(), u"probíhá hledání..."_s);
    EXPECT_EQ(suite.started(u"load.exe"_s).last(),
              u"/zuv/search.php?idh=100001&od=20"_s + suite.replyTail());
    suite.reply(result(u"100022"_s, u":)"_s, u"Zdena"_s));
    EXPECT_EQ(w.ListView1.topLevelItemCount(), 2);
    EXPECT_FALSE(w.Command2.isEnabled());

    // A next page that would name another reply file is not offered.
    w.Command1_Click();
    suite.reply(u"next//x/@/"_s + suite.dir() + u"/options.ini\r\nsvs//<b>x</b>\r\n"_s);
    EXPECT_FALSE(w.Command2.isEnabled());
    EXPECT_EQ(w.Label10.textFormat(), Qt::PlainText);
}

TEST(SearchWindow, AHeaderClickSortsAndASecondReverses)
{
    SearchFixture suite;
    Hledej& w = suite.search();
    w.Command1_Click();
    suite.reply(result(u"100002"_s, u":)"_s, u"Čeněk"_s, u"9"_s) +
                result(u"100003"_s, u":)"_s, u"Adam"_s, u"100"_s) +
                result(u"100004"_s, u":)"_s, u"Chrudoš"_s, u"25"_s) +
                result(u"100005"_s, u":)"_s, u"Cyril"_s, u"10"_s) +
                result(u"100006"_s, u":)"_s, u"Hana"_s, u"31"_s));
    EXPECT_EQ(suite.column(0).first(), u" Čeněk"_s) << "the server's order until a click";
    w.ListView1_ColumnClick(0);
    EXPECT_EQ(suite.column(0),
              (QStringList{u" Adam"_s, u" Cyril"_s, u" Čeněk"_s, u" Hana"_s, u" Chrudoš"_s}));
    w.ListView1_ColumnClick(0);
    EXPECT_EQ(suite.column(0),
              (QStringList{u" Chrudoš"_s, u" Hana"_s, u" Čeněk"_s, u" Cyril"_s, u" Adam"_s}));
    w.ListView1_ColumnClick(5); // another column starts ascending, by number
    EXPECT_EQ(suite.column(5), (QStringList{u"9"_s, u"10"_s, u"25"_s, u"31"_s, u"100"_s}));
}

TEST(SearchWindow, TheThreeAnswersToAnAddition)
{
    SearchFixture suite;
    Hledej& w = suite.search();
    suite.write(u"user_add.tt"_s, "nick// Stará odpověď\r\n");
    w.PridejUsera(u"100003"_s);
    EXPECT_FALSE(QFile::exists(suite.path(u"user_add.tt"_s)));
    EXPECT_EQ(suite.started(u"load.exe"_s),
              QStringList{u"/zuv/user_add.php?id=100001&h=demo&user=100003/@/"_s + suite.dir() +
                          u"\\user_add.tt/@/show"_s});
    EXPECT_TRUE(w.Timer2.isActive());

    struct Row
    {
        QByteArray reply;
        QString text;
        QString icon;
        int fullRefreshes;
    };
    const Row rows[] = {
        {"noadd//\r\n", u"Uživatele nelze přidat do seznamu."_s, u"exclamation"_s, 0},
        {"exist//\r\n", u"Uživatele nelze přidat do seznamu, protože se v něm již nachází."_s,
         u"exclamation"_s, 0},
        {"nick// Karel\r\n", u"Karel byl přidán do vašeho seznamu"_s, u"information"_s, 1},
    };
    for (const Row& row : rows) {
        QFile::remove(suite.msgBoxLog());
        QFile::remove(suite.shellLog());
        w.PridejUsera(u"100003"_s);
        suite.write(u"user_add.tt"_s, row.reply);
        w.Timer2_Timer();
        EXPECT_FALSE(w.Timer2.isActive());
        const auto shown = suite.boxes();
        ASSERT_EQ(shown.size(), 1) << row.reply.constData();
        EXPECT_EQ(shown[0][u"text"_s].toString(), row.text);
        EXPECT_EQ(shown[0][u"icon"_s].toString(), row.icon);
        EXPECT_EQ(suite.started(u"load2.exe"_s).filter(u"/zuv/all.php?"_s).size(),
                  row.fullRefreshes)
            << row.reply.constData();
    }
    // A number from a result menu is a number, or nothing is asked.
    QFile::remove(suite.shellLog());
    w.PridejUsera(u"../../x"_s);
    EXPECT_TRUE(suite.started(u"load.exe"_s).isEmpty());
}

TEST(SearchWindow, ListenersOfAStationAndARemoteSearch)
{
    SearchFixture suite;
    suite.form.bus().publish(u"Zuv - Sorvanta"_s);
    suite.form.SetSubclass(true);
    // The radio player's show-listeners button.
    EXPECT_EQ(SendCopyData(FindWindowA(u"Zuv - Sorvanta"_s), u"svs:r15"_s), -1);
    ASSERT_NE(suite.form.searchWindow(), nullptr);
    Hledej& w = *suite.form.searchWindow();
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.CheckStation.isHidden());
    EXPECT_TRUE(w.CheckOnline.isChecked() && w.CheckListening.isChecked() &&
                w.CheckStation.isChecked());
    EXPECT_EQ(suite.started(u"load.exe"_s).last(),
              u"/zuv/search.php?idh=100001&h=demo&id=&agefrom=&ageto=&nick=&line=online"
              "&radiostav=on&radio=r15&jmeno=&prijmeni=&zm=&poznamky=&mesto="_s +
                  suite.replyTail());

    // Values in the order of the text boxes, every "*x" gone; the boxes the
    // text leaves out are emptied.
    w.TextPoznamky.setText(u"zbylo"_s);
    w.CheckOnline.setChecked(false);
    w.CheckListening.setChecked(false);
    w.CheckStation.setChecked(false);
    EXPECT_EQ(
        SendCopyData(FindWindowA(u"Zuv - Sorvanta"_s), u"gsh:E*xva|Jana*x|*xNová|20|30|Brno"_s),
        -1);
    EXPECT_EQ(w.TextNick.text(), u"Eva"_s);
    EXPECT_EQ(w.TextMesto.text(), u"Brno"_s);
    EXPECT_EQ(w.TextPoznamky.text(), u""_s);
    EXPECT_EQ(suite.started(u"load.exe"_s).last(),
              u"/zuv/search.php?idh=100001&h=demo&id=&agefrom=20&ageto=30&nick=Eva&line="
              "&radiostav=&radio=&jmeno=Jana&prijmeni=Nová&zm=&poznamky=&mesto=Brno"_s +
                  suite.replyTail());
}
