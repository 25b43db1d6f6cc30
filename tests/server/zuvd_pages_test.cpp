// The pages the web-view program shows.
#include <foundation/codepage.h>
#include <foundation/loginlink.h>
#include <gtest/gtest.h>
#include <server/core/database.h>
#include <server/core/members.h>
#include <support/qtprint.h>
#include <support/zuvdprocess.h>

using namespace Qt::StringLiterals;
using namespace zuvtest;

namespace {

// The page's text; fails the test unless it is a Windows-1250 HTML page.
QString page(const Zuvd& server, const std::string& target)
{
    const Answer answer = server.get(target);
    EXPECT_EQ(answer.status, 200) << target;
    EXPECT_EQ(answer.contentType, QByteArray("text/html; charset=windows-1250")) << target;
    const QString text = replyLines(answer.body).join(u'\n');
    EXPECT_TRUE(text.contains(
        u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1250\">"_s))
        << target;
    return text;
}

class ZuvdPagesTest : public zuvtest::StorageTest
{};

TEST_P(ZuvdPagesTest, EveryWebViewAddressAnswersWithAPage)
{
    Zuvd server;
    ASSERT_TRUE(server.started());
    const std::pair<std::string, QString> cases[] = {
        {"/zuv/whois.php?id=100002", u"<td>Nováková</td>"_s},
        {"/%5Czuv%5Cwhois.php?id=100002", u"<td>Brno</td>"_s},
        {"/zuv/whois.php?id=100099", u"Uživatel nebyl nalezen."_s},
        {"/zuv/inbox.php?idh=100001&h=demo", u"Ve schránce nemáte žádné nepřijaté zprávy."_s},
        {"/zuv/inbox.php?idh=100001&h=bad", u"Špatné Zuv číslo nebo heslo."_s},
        {"/zuv/note.php?user=100002&idh=100001&h=demo", u"<h1>Moje poznámka: Eva</h1>"_s},
        {"/zuv/sendfile.php?to=100002&idh=100001&h=demo&end=1",
         u"Posílání souborů tento server nenabízí."_s},
        {"/zuv/birthday.php?idh=100001&h=demo&zuvis123=1", u"Eva ("_s},
        {"/zuv/edit.php?edit=100001&idh=100001&h=demo&zuvbrowser=on",
         u"Úprava uživatelského účtu demo [100001]"_s},
        {"/%5Czuv%5Chist.php?idh=100001&h=demo&zuvis123=1", u"Zatím jste si s nikým nepsali."_s},
        {"/zuv/autotext.php?&idh=100001&h=demo", u"<h1>Nepřítomen</h1>"_s},
        {"/%5Czuv%5Cadd_user.php?idh=&h=", u"Registrace do sítě Zuv"_s},
        {"/%5Czuv%5Cfreemusic.php?idh=100001&h=demo", u"Zuv FreeMusic"_s},
        {"/%5Czuv%5Cdiskuze.php?idh=100001&h=demo&t=100000&tid=abc123", u"stanici abc123"_s},
        {"/sorvanta.trolvik/user_sv_add.php?idh=100001&h=demo", u"Přidat nové rádio"_s},
        {"/zuv/newver.php?build=100018", u"Vaše verze: 100018."_s},
        {"/faq", u"„Přidej do seznamu“"_s},
        {"/faq/7", u"monitor výchozího výstupu PulseAudio"_s},
    };
    for (const auto& [target, fragment] : cases)
        EXPECT_TRUE(page(server, target).contains(fragment)) << target;
}

TEST_P(ZuvdPagesTest, NoteAwayTextAndProfileAreStored)
{
    Zuvd server;
    ASSERT_TRUE(server.started());
    EXPECT_TRUE(page(server, "/zuv/note.php?user=100002&idh=100001&h=demo&text=" +
                                 enc(u"Zná výborné recepty & <vtipy>"_s))
                    .contains(u"Poznámka byla uložena."_s));
    EXPECT_TRUE(page(server, "/zuv/note.php?user=100002&idh=100001&h=demo")
                    .contains(u">Zná výborné recepty &amp; &lt;vtipy&gt;</textarea>"_s));
    // A note is private to its author.
    EXPECT_FALSE(page(server, "/zuv/note.php?user=100002&idh=100002&h=eva").contains(u"recepty"_s));

    page(server, "/zuv/autotext.php?&idh=100002&h=eva&text=" + enc(u"Jsem na obědě"_s));
    server.get(refreshTarget("all_msg.php", "100002", "eva", "(:)"));
    EXPECT_TRUE(page(server, "/zuv/whois.php?id=100002").contains(u"<td>Jsem na obědě</td>"_s));

    EXPECT_TRUE(page(server, "/zuv/edit.php?edit=100002&idh=100002&h=eva&ulozit=1&jmeno=Eva&"
                             "prijmeni=Svobodov%E1&pohlavi=z&narozen=1995-11-02&mesto=Olomouc&"
                             "poznamky=")
                    .contains(u"Údaje byly uloženy."_s));
    const QString whois = page(server, "/zuv/whois.php?id=100002");
    EXPECT_TRUE(whois.contains(u"<td>Svobodová</td>"_s));
    EXPECT_TRUE(whois.contains(u"<td>Olomouc</td>"_s));
    EXPECT_TRUE(page(server, "/zuv/edit.php?idh=100002&h=eva&ulozit=1&narozen=2.11.1995")
                    .contains(u"Datum narození zadejte jako rrrr-mm-dd."_s));
    EXPECT_TRUE(page(server, "/zuv/whois.php?id=100002").contains(u"<td>Olomouc</td>"_s));
}

TEST_P(ZuvdPagesTest, HistoryShowsMessagesAsWritten)
{
    Zuvd server;
    ASSERT_TRUE(server.started());
    server.get("/zuv/message_add.php?id=100001&h=demo&to=100002&ver=1&text=" +
               enc(u"a *.and b <br>c "_s));
    const QString demo = page(server, "/zuv/hist.php?idh=100001&h=demo&zuvis123=1");
    EXPECT_TRUE(demo.contains(u"» Eva"_s));
    EXPECT_TRUE(demo.contains(u"a &amp; b<br>c "_s));
    EXPECT_TRUE(page(server, "/zuv/hist.php?idh=100002&h=eva").contains(u"« demo"_s));
}

TEST_P(ZuvdPagesTest, RegistrationCreatesAMemberWhoCanLogIn)
{
    Zuvd server;
    ASSERT_TRUE(server.started());
    const std::pair<std::string, QString> refused[] = {
        {"nick=demo&heslo=a&heslo2=a", u"Tento nick již někdo používá."_s},
        {"nick=DEMO&heslo=a&heslo2=a", u"Tento nick již někdo používá."_s},
        {"nick=Nov%E1k&heslo=a&heslo2=b", u"Hesla se neshodují."_s},
        {"nick=Nov%E1k&heslo=&heslo2=", u"Zadejte heslo o 1 až 64 znacích."_s},
        {"nick=123456&heslo=a&heslo2=a", u"Nick nesmí být jen z číslic."_s},
        {"nick=&heslo=a&heslo2=a", u"Zadejte prosím nick."_s},
        {"nick=Nov%E1k&heslo=a&heslo2=a&pohlavi=x", u"Pohlaví zadejte jako z nebo m."_s},
    };
    for (const auto& [keys, problem] : refused)
        EXPECT_TRUE(page(server, "/zuv/add_user.php?" + keys).contains(problem)) << keys;

    const int number = registerMember(server, u"Novák"_s, u"tajné"_s, "&mesto=Plze%F2&pohlavi=m");
    EXPECT_EQ(number, 100003);
    EXPECT_EQ(server.get("/zuv/login.php?id=100003&h=" + enc(u"tajné"_s)).body,
              crlf({u"zuvid:100003"_s, u"zuvok:Vítejte v síti Zuv, Novák!"_s}));
    EXPECT_TRUE(page(server, "/zuv/whois.php?id=100003").contains(u"<td>Plzeň</td>"_s));
}

std::string loginLink(const std::string& number, const QString& password)
{
    return "/login/" + number + "/" + zuv::LoginLink::Heslo(password).toStdString() + "//1";
}

TEST_P(ZuvdPagesTest, LoginLinkShowsTheMembersOwnPageForTheRightCodeOnly)
{
    Zuvd server;
    ASSERT_TRUE(server.started());
    const QString password = u"Tajné heslo 7"_s;
    const int number = registerMember(server, u"Šárka"_s, password, "&mesto=%DAst%ED&pohlavi=z");
    ASSERT_EQ(number, 100003);
    const std::string own = loginLink("100003", password);
    const QString mine = page(server, own);
    EXPECT_TRUE(mine.contains(u"<h1>Zuvnet: Šárka [100003]</h1>"_s)) << mine;
    EXPECT_TRUE(mine.contains(u"<td>Ústí</td>"_s));
    EXPECT_TRUE(mine.contains(u"<td>Off-Line</td>"_s));
    EXPECT_TRUE(mine.contains(u"action=\"/zuv/edit.php\""_s));
    EXPECT_FALSE(mine.contains(password));
    EXPECT_FALSE(mine.contains(zuv::LoginLink::Heslo(password)));

    {
        zuv::server::Database db(server.database());
        auto session = db.session();
        zuv::server::Members::setSuspended(session.sql(), kEva, true);
    }
    const std::pair<std::string, QString> refused[] = {
        {loginLink("100003", u"Tajné heslo 8"_s), u"Zkontrolujte své Zuv číslo a heslo."_s},
        {"/login/100003///1", u"Zkontrolujte své Zuv číslo a heslo."_s},
        {"/login/100003/12-x3-//1", u"Zkontrolujte své Zuv číslo a heslo."_s},
        {"/login/100003/" + enc(u"<b>\"'"_s) + "//1", u"Zkontrolujte své Zuv číslo a heslo."_s},
        {"/login/100003", u"Zkontrolujte své Zuv číslo a heslo."_s},
        {loginLink("10003", password), u"Zkontrolujte své Zuv číslo a heslo."_s},
        {loginLink("100099", password), u"Zkontrolujte své Zuv číslo a heslo."_s},
        {loginLink("100001", password), u"Zkontrolujte své Zuv číslo a heslo."_s},
        {loginLink("100002", u"eva"_s), u"váš účet byl pozastaven."_s},
    };
    for (const auto& [target, reason] : refused) {
        const QString text = page(server, target);
        EXPECT_TRUE(text.contains(u"<p>Přihlášení se nezdařilo"_s)) << target;
        EXPECT_TRUE(text.contains(reason)) << target;
        EXPECT_FALSE(text.contains(u"Zuvnet:"_s)) << target;
    }
    // The link as the messenger makes it, its slashes as they come.
    EXPECT_TRUE(
        page(server, "/login//100003/" + zuv::LoginLink::Heslo(password).toStdString() + "//1")
            .contains(u"Zuvnet: Šárka"_s));
}

ZUV_STORAGE_SUITE(ZuvdPagesTest);

} // namespace
