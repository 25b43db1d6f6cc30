// ZuvBrowser: its argument and page decoding directly, its window in-process
// and the real program, each against a small HTTP server on loopback.
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QMouseEvent>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextDocument>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <foundation/bus/sendmessage.h>
#include <foundation/codepage.h>
#include <foundation/shell.h>
#include <gtest/gtest.h>
#include <memory>
#include <siblings/browser/browserwindow.h>
#include <siblings/browser/core/browserargs.h>
#include <support/processes.h>
#include <support/tempsuite.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace zuv;
using namespace zuv::browser;

namespace {

const QString kCzech = u"Příliš žluťoučký kůň úpěl ďábelské ódy"_s;

// Answers each GET with the reply routed to its path, then closes the
// connection. A held server keeps the requests until release().
class PageServer : public QObject
{
public:
    struct Reply
    {
        QByteArray status;
        QByteArray contentType;
        QByteArray body;
        QByteArray location;
    };

    PageServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                socket->setParent(this);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

    QString base() const { return u"http://127.0.0.1:%1"_s.arg(m_server.serverPort()); }
    void route(const QByteArray& path, const QByteArray& body,
               const QByteArray& contentType = "text/html", const QByteArray& status = "200 OK",
               const QByteArray& location = {})
    {
        m_routes[path] = Reply{status, contentType, body, location};
    }
    void hold() { m_holding = true; }
    void release()
    {
        m_holding = false;
        for (const auto& [socket, target] : std::exchange(m_pending, {}))
            if (socket)
                answer(socket, target);
    }

    QList<QByteArray> targets; // request targets in order of arrival

private:
    void read(QTcpSocket* socket)
    {
        QByteArray request = socket->property("request").toByteArray() + socket->readAll();
        socket->setProperty("request", request);
        if (!request.contains("\r\n\r\n"))
            return;
        const QByteArray target = request.left(request.indexOf("\r\n")).split(' ').value(1);
        targets.append(target);
        if (m_holding)
            m_pending.emplace_back(socket, target);
        else
            answer(socket, target);
    }

    void answer(QTcpSocket* socket, const QByteArray& target)
    {
        const QByteArray path = target.split('?').first();
        const Reply reply = m_routes.value(path, Reply{"404 Not Found", "text/plain", "nic", {}});
        QByteArray head = "HTTP/1.1 " + reply.status + "\r\nContent-Type: " + reply.contentType +
                          "\r\nContent-Length: " + QByteArray::number(reply.body.size()) +
                          "\r\nConnection: close\r\n";
        if (!reply.location.isEmpty())
            head += "Location: " + reply.location + "\r\n";
        socket->write(head + "\r\n" + reply.body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QMap<QByteArray, Reply> m_routes;
    bool m_holding = false;
    std::vector<std::pair<QPointer<QTcpSocket>, QByteArray>> m_pending;
};

// A page as the suite's server writes it: Windows-1250, declared in a <meta>.
QByteArray serverPage(const QString& body)
{
    return zuvtest::cp1250(u"<html><head><meta http-equiv=\"Content-Type\" "
                           "content=\"text/html; charset=windows-1250\"></head><body>"_s +
                           body + u"</body></html>"_s);
}

QString layout(const QString& url, const QString& rest)
{
    return url + u"/@/"_s + rest;
}

// A window built from the argument and started, once its page is shown.
std::unique_ptr<BrowserWindow> openWindow(const QString& argument, int style = SW_SHOWNOACTIVATE)
{
    auto window = std::make_unique<BrowserWindow>(parseArguments(argument));
    window->start(style);
    zuvtest::waitFor([&] { return window->isDone(); }, 10000);
    return window;
}

// Clicks the link whose text is `text`, as a person would.
void clickLink(QTextBrowser* view, const QString& text)
{
    const QTextCursor found = view->document()->find(text);
    ASSERT_FALSE(found.isNull()) << text.toStdString();
    QTextCursor inside(view->document());
    inside.setPosition(found.selectionStart() + 1);
    const QPointF at = view->cursorRect(inside).center();
    QWidget* viewport = view->viewport();
    const QPointF global = viewport->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(viewport, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(viewport, &release);
}

// Running processes whose command line holds `needle`; the started program
// is detached, so this is how a test finds it again.
QList<pid_t> processesWith(const QByteArray& needle)
{
    QList<pid_t> found;
    const QStringList entries = QDir(u"/proc"_s).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool isPid = false;
        const pid_t pid = pid_t(entry.toInt(&isPid));
        if (!isPid || pid == ::getpid())
            continue;
        QFile cmdline(u"/proc/"_s + entry + u"/cmdline"_s);
        if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains(needle))
            found.append(pid);
    }
    return found;
}

} // namespace

TEST(BrowserArgs, LayoutsTheSuitePasses)
{
    struct Row
    {
        QString argument;
        QByteArray url;
        QSize size;
        QString title;
        WindowState state;
        EndFlag flag;
    };
    const Row rows[] = {
        {u"http://zuv.example\\zuv\\freemusic.php?idh=123456&h=abc/@/14000/@/8000/@/"
         "Zuv FreeMusic (Zuvnet)/@/max/@/endtestnull/@/"_s,
         "http://zuv.example/zuv/freemusic.php?idh=123456&h=abc",
         {933, 533},
         u"Zuv FreeMusic (Zuvnet)"_s,
         WindowState::Maximised,
         EndFlag::EndTestNull},
        {u"http://zuv.example\\zuv\\diskuze.php?idh=1&h=x&t=100000&tid=ABC123/@/9000/@/9000/@/"
         "Diskuze k rádiové stanici: Český rozhlas 2 (Zuvnet)/@/normal/@/endtestnull/@/"_s,
         "http://zuv.example/zuv/diskuze.php?idh=1&h=x&t=100000&tid=ABC123",
         {600, 600},
         u"Diskuze k rádiové stanici: Český rozhlas 2 (Zuvnet)"_s,
         WindowState::Normal,
         EndFlag::EndTestNull},
        {u"http://zuv.example/zuv/edit.php?edit=123456&idh=123456&h=x&zuvbrowser=on/@/7200/@/"
         "8700/@/Zuv - Úprava uživatelského účtu Žofie [123456]/@/normal/@/endtest/@/"_s,
         "http://zuv.example/zuv/edit.php?edit=123456&idh=123456&h=x&zuvbrowser=on",
         {480, 580},
         u"Zuv - Úprava uživatelského účtu Žofie [123456]"_s,
         WindowState::Normal,
         EndFlag::EndTest},
        // The smallest size the suite passes; 4150 twips are 276.7 pixels.
        {u"http://zuv.example/zuv/note.php?user=654321&idh=1&h=x/@/4150/@/2700/@/"
         "Zuv - poznámka: Kuba/@/normal/@/endtest/@/"_s,
         "http://zuv.example/zuv/note.php?user=654321&idh=1&h=x",
         {277, 180},
         u"Zuv - poznámka: Kuba"_s,
         WindowState::Normal,
         EndFlag::EndTest},
        {u"http://zuv.example\\zuv\\add_user.php?idh=&h=/@/7200/@/8700/@/Zuvnet - Registrace/@/"
         "normal/@/noendtest/@/"_s,
         "http://zuv.example/zuv/add_user.php?idh=&h=",
         {480, 580},
         u"Zuvnet - Registrace"_s,
         WindowState::Normal,
         EndFlag::NoEndTest},
        // Forgiven: no final separator, other case, spaces round numbers, an
        // unknown end flag, fields after the sixth.
        {u"zuv.example/a/@/ 9000 /@/9000/@/T/@/MAX/@/EndTest"_s,
         "http://zuv.example/a",
         {600, 600},
         u"T"_s,
         WindowState::Maximised,
         EndFlag::EndTest},
        {u"http://zuv.example/a/@/9000/@/9000/@/T/@/normal/@/zavri/@/navic/@/"_s,
         "http://zuv.example/a",
         {600, 600},
         u"T"_s,
         WindowState::Normal,
         EndFlag::NoEndTest},
        // Sizes are kept sane.
        {u"http://zuv.example/a/@/0/@/99999999999999999999999/@/T/@/normal/@/noendtest/@/"_s,
         "http://zuv.example/a",
         {kMinPixels, kMaxPixels},
         u"T"_s,
         WindowState::Normal,
         EndFlag::NoEndTest},
    };
    for (const Row& row : rows) {
        const BrowserArgs args = parseArguments(row.argument);
        SCOPED_TRACE(row.argument.toStdString());
        EXPECT_TRUE(args.ok()) << args.error.toStdString();
        EXPECT_EQ(args.url.toEncoded(), row.url);
        EXPECT_EQ(args.size, row.size);
        EXPECT_EQ(args.title, row.title);
        EXPECT_EQ(args.state, row.state);
        EXPECT_EQ(args.endFlag, row.flag);
    }
}

TEST(BrowserArgs, MalformedArgumentsSayWhatIsWrongInCzech)
{
    struct Row
    {
        QString argument;
        QString error;
        QString title; // the caption the error window gets
    };
    const QString tail = u"/@/9000/@/9000/@/Okno/@/normal/@/noendtest/@/"_s;
    const Row rows[] = {
        {QString(), u"Program ZuvBrowser nedostal žádný parametr."_s, u"ZuvBrowser"_s},
        {u"http://zuv.example/a"_s, u"Parametr programu je neúplný: chybí šířka okna."_s,
         u"ZuvBrowser"_s},
        {u"http://zuv.example/a/@/9000/@/9000/@/Okno/@/"_s,
         u"Parametr programu je neúplný: chybí stav okna."_s, u"Okno"_s},
        {u"/@/9000/@/9000/@/Okno/@/normal/@/noendtest/@/"_s, u"Chybí adresa stránky."_s,
         u"ZuvBrowser"_s},
        {u"http://zuv.example/a/@/devět tisíc/@/9000/@/Okno/@/normal/@/noendtest/@/"_s,
         u"Šířka okna „devět tisíc“ není celé číslo."_s, u"ZuvBrowser"_s},
        {u"http://zuv.example/a/@/9000/@/-9000/@/Okno/@/normal/@/noendtest/@/"_s,
         u"Výška okna „-9000“ není celé číslo."_s, u"ZuvBrowser"_s},
        {u"http://zuv.example/a/@/9000/@/9000/@/Okno/@/fullscreen/@/noendtest/@/"_s,
         u"Neznámý stav okna „fullscreen“ (platí „normal“ nebo „max“)."_s, u"Okno"_s},
        // The base address missing from zuv_server.tt leaves no server.
        {u"\\zuv\\whois.php?id=123456"_s + tail,
         u"Adresa stránky „\\zuv\\whois.php?id=123456“ je neplatná."_s, u"ZuvBrowser"_s},
        {u"file:///etc/passwd"_s + tail,
         u"Adresu „file:///etc/passwd“ ZuvBrowser neotevře: otevírá jen adresy http a https."_s,
         u"ZuvBrowser"_s},
        {u"javascript:alert(1)"_s + tail, u"Adresa stránky „javascript:alert(1)“ je neplatná."_s,
         u"ZuvBrowser"_s},
    };
    for (const Row& row : rows) {
        const BrowserArgs args = parseArguments(row.argument);
        SCOPED_TRACE(row.argument.toStdString());
        EXPECT_FALSE(args.ok());
        EXPECT_EQ(args.error, row.error);
        EXPECT_EQ(args.title, row.title);
    }
}

TEST(BrowserArgs, AddressIsSentAsTheServerReadsIt)
{
    const std::pair<QString, QByteArray> rows[] = {
        {u"http://zuv.example\\zuv\\whois.php?id=1"_s, "http://zuv.example/zuv/whois.php?id=1"},
        // Query values arrive unencoded; the server reads Windows-1250.
        {u"http://zuv.example/zuv/a.php?nick=Žluťoučký kůň&x=1"_s,
         "http://zuv.example/zuv/a.php?nick=%8Elu%9Dou%E8k%FD%20k%F9%F2&x=1"},
        {u"http://zuv.example/a.php?q=a%20b&r=%C5%BE"_s,
         "http://zuv.example/a.php?q=a%20b&r=%C5%BE"},
        // Without a Windows-1250 byte: UTF-8, never a "?" that would start a query.
        {u"http://zuv.example/Жук/a.php?x=Ж"_s,
         "http://zuv.example/%D0%96%D1%83%D0%BA/a.php?x=%D0%96"},
        {u"https://zuv.example:8443/a#dole"_s, "https://zuv.example:8443/a#dole"},
        {u"127.0.0.1:8080\\zuv\\inbox.php"_s, "http://127.0.0.1:8080/zuv/inbox.php"},
    };
    for (const auto& [address, encoded] : rows) {
        QString error;
        EXPECT_EQ(pageUrl(address, &error).toEncoded(), encoded) << address.toStdString();
        EXPECT_EQ(error, QString());
    }
}

TEST(BrowserPage, DecodedByItsDeclaredCharset)
{
    struct Row
    {
        const char* name;
        QByteArray contentType;
        QByteArray body;
        QString text;
    };
    const QByteArray cp = zuvtest::cp1250(kCzech);
    const QByteArray utf8 = kCzech.toUtf8();
    const Row rows[] = {
        {"header names windows-1250", "text/html; charset=windows-1250", cp, kCzech},
        {"header, quoted and in capitals", "text/html; Charset=\"CP1250\"", cp, kCzech},
        {"header wins over meta", "text/html; charset=utf-8",
         "<meta charset=\"windows-1250\">" + utf8, u"<meta charset=\"windows-1250\">"_s + kCzech},
        {"meta http-equiv", "text/html",
         "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
         "charset=windows-1250\"></head>" +
             cp,
         u"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
         "charset=windows-1250\"></head>"_s +
             kCzech},
        {"meta charset utf-8", "", "<meta charset=utf-8>" + utf8,
         u"<meta charset=utf-8>"_s + kCzech},
        {"latin-1 through Qt", "text/html; charset=iso-8859-1", "caf\xE9", u"café"_s},
        {"undeclared UTF-8", "text/html", utf8, kCzech},
        {"undeclared, not UTF-8: the suite's code page", "", cp, kCzech},
        {"unknown charset: as undeclared", "text/html; charset=x-nonsense", cp, kCzech},
        {"UTF-8 byte order mark", "text/html; charset=windows-1250", "\xEF\xBB\xBF" + utf8, kCzech},
    };
    for (const Row& row : rows)
        EXPECT_EQ(decodePage(row.body, row.contentType), row.text) << row.name;
}

TEST(BrowserWindow, ShowsThePageWithItsCaptionAndSizeAndSendsLinksToTheDesktop)
{
    zuvtest::TempSuite suite;
    PageServer server;
    server.route("/zuv/whois.php", serverPage(u"<p>"_s + kCzech +
                                              u"</p><p><a href=\"profil.php?id=5\">"
                                              "Profil</a> <a href=\"#dole\">Dolů</a> "
                                              "<a href=\"https://jinde.example/x?a=b\">"
                                              "Jinde</a></p><a name=\"dole\"></a>"_s));
    const QString caption = u"Zuv - informace o Žofie"_s;
    auto window = openWindow(layout(server.base() + u"\\zuv\\whois.php?id=123456"_s,
                                    u"5600/@/6000/@/"_s + caption + u"/@/normal/@/noendtest/@/"_s));

    ASSERT_TRUE(window->isDone());
    EXPECT_EQ(server.targets, QList<QByteArray>{"/zuv/whois.php?id=123456"});
    EXPECT_EQ(window->windowTitle(), caption);
    EXPECT_EQ(window->size(), QSize(373, 400));
    EXPECT_TRUE(window->page()->toPlainText().contains(kCzech))
        << window->page()->toPlainText().toStdString();
    EXPECT_TRUE(FindWindowA(caption));

    clickLink(window->page(), u"Profil"_s);
    clickLink(window->page(), u"Dolů"_s); // scrolls, opens nothing
    clickLink(window->page(), u"Jinde"_s);
    EXPECT_EQ(zuvtest::logLines(suite.shellLog()),
              (QStringList{u"open\t\t"_s + server.base() + u"/zuv/profil.php?id=5"_s,
                           u"open\t\thttps://jinde.example/x?a=b"_s}));
    EXPECT_TRUE(window->isVisible()); // noendtest: a link never closes it

    window.reset();
    EXPECT_FALSE(FindWindowA(caption));
}

TEST(BrowserWindow, FollowsRedirectsAndResolvesLinksAgainstTheFinalAddress)
{
    zuvtest::TempSuite suite;
    PageServer server;
    server.route("/stara.php", {}, "text/html", "302 Found", "/zuv/nova/stranka.php");
    server.route("/zuv/nova/stranka.php",
                 zuvtest::cp1250(u"<p>Nová stránka</p><a href=\"../dalsi.php\">Další</a>"_s),
                 "text/html; charset=windows-1250");
    auto window =
        openWindow(layout(server.base() + u"/stara.php"_s, u"7200/@/7500/@/Schránka/@/normal/@/"
                                                           "noendtest/@/"_s));
    EXPECT_TRUE(window->page()->toPlainText().contains(u"Nová stránka"_s));
    clickLink(window->page(), u"Další"_s);
    EXPECT_EQ(zuvtest::logLines(suite.shellLog()),
              QStringList{u"open\t\t"_s + server.base() + u"/zuv/dalsi.php"_s});
}

TEST(BrowserWindow, ShowStyleAndMaxState)
{
    struct Row
    {
        QString state;
        int style;
        bool minimised, maximised;
    };
    // The suite starts it minimised, yet without a task bar a minimised page
    // could never be seen: the state argument alone decides.
    const Row rows[] = {
        {u"normal"_s, SW_SHOWMINIMIZED, false, false},
        {u"max"_s, SW_SHOWMINIMIZED, false, true},
        {u"max"_s, SW_SHOWNORMAL, false, true},
        {u"normal"_s, SW_SHOWNOACTIVATE, false, false},
    };
    zuvtest::TempSuite suite;
    PageServer server;
    server.route("/a", serverPage(kCzech));
    for (const Row& row : rows) {
        auto window = openWindow(
            layout(server.base() + u"/a"_s, u"9000/@/9000/@/Okno/@/"_s + row.state + u"/@/x/@/"_s),
            row.style);
        SCOPED_TRACE(row.state.toStdString() + " " + std::to_string(row.style));
        EXPECT_EQ(window->isMinimized(), row.minimised);
        EXPECT_EQ(window->windowState().testFlag(Qt::WindowMaximized), row.maximised);
        EXPECT_TRUE(window->isVisible());
    }
}

TEST(BrowserWindow, EndFlagsCloseTheWindowWhenThePageSaysSo)
{
    struct Row
    {
        const char* flag;
        QByteArray body;
        bool closes;
        QString shows;
    };
    const QByteArray ended = serverPage(u"Uloženo.<!-- ZuvBrowser:end -->"_s);
    const QByteArray plain = serverPage(u"Poznámka"_s);
    const Row rows[] = {
        {"endtest", ended, true, u"Uloženo."_s},
        {"endtest", plain, false, u"Poznámka"_s},
        {"endtest", "", false, u"Stránka je prázdná."_s},
        {"endtestnull", " \r\n", true, u"Stránka je prázdná."_s},
        {"endtestnull", ended, true, u"Uloženo."_s},
        {"endtestnull", plain, false, u"Poznámka"_s},
        {"noendtest", ended, false, u"Uloženo."_s},
        {"noendtest", "", false, u"Stránka je prázdná."_s},
    };
    zuvtest::TempSuite suite;
    PageServer server;
    for (const Row& row : rows) {
        server.route("/p", row.body);
        auto window = openWindow(
            layout(server.base() + u"/p"_s,
                   u"4150/@/2700/@/Okno/@/normal/@/"_s + QString::fromLatin1(row.flag) + u"/@/"_s));
        SCOPED_TRACE(std::string(row.flag) + " " + row.body.toStdString());
        EXPECT_TRUE(window->page()->toPlainText().contains(row.shows))
            << window->page()->toPlainText().toStdString();
        zuvtest::waitFor([&] { return !window->isVisible(); }, row.closes ? 5000 : 200);
        EXPECT_EQ(window->closedByPage(), row.closes);
        EXPECT_EQ(window->isVisible(), !row.closes);
    }
}

TEST(BrowserWindow, FailedFetchShowsACzechErrorPageAndStaysOpen)
{
    zuvtest::TempSuite suite;
    PageServer server;
    server.route("/chyba", serverPage(u"<!-- zuvbrowser:end -->"_s), "text/html",
                 "500 Internal Server Error");
    quint16 closedPort = 0;
    {
        QTcpServer gone;
        gone.listen(QHostAddress::LocalHost);
        closedPort = gone.serverPort();
    }
    const std::pair<QString, QString> rows[] = {
        {server.base() + u"/nic.php"_s, u"Server odpověděl chybou 404 (Not Found)."_s},
        {server.base() + u"/chyba"_s, u"Server odpověděl chybou 500 (Internal Server Error)."_s},
        {u"http://127.0.0.1:%1/a"_s.arg(closedPort), u"Server odmítl spojení."_s},
    };
    for (const auto& [url, reason] : rows) {
        auto window = openWindow(layout(url, u"9000/@/9000/@/Okno/@/normal/@/endtestnull/@/"_s));
        const QString text = window->page()->toPlainText();
        EXPECT_TRUE(window->isDone()) << url.toStdString();
        EXPECT_TRUE(text.contains(u"Stránku se nepodařilo načíst."_s)) << text.toStdString();
        EXPECT_TRUE(text.contains(reason)) << text.toStdString();
        EXPECT_TRUE(text.contains(url)) << text.toStdString();
        zuvtest::waitFor([] { return false; }, 50);
        EXPECT_TRUE(window->isVisible()) << url.toStdString();
    }
}

TEST(BrowserWindow, MalformedArgumentShowsTheReasonAndFetchesNothing)
{
    zuvtest::TempSuite suite;
    PageServer server;
    auto window = openWindow(layout(server.base() + u"/a"_s,
                                    u"9000/@/9000/@/Zuv - Historie zpráv/@/velke/@/endtest/@/"_s));
    const QString text = window->page()->toPlainText();
    EXPECT_TRUE(text.contains(u"Stránku nelze zobrazit: chybný parametr programu."_s))
        << text.toStdString();
    EXPECT_TRUE(text.contains(u"Neznámý stav okna „velke“"_s)) << text.toStdString();
    EXPECT_EQ(window->windowTitle(), u"Zuv - Historie zpráv"_s);
    EXPECT_EQ(window->size(), QSize(600, 600));
    zuvtest::waitFor([] { return false; }, 100);
    EXPECT_TRUE(server.targets.isEmpty());
    EXPECT_TRUE(window->isVisible());
}

TEST(BrowserWindow, PageCannotPullInLocalFiles)
{
    zuvtest::TempSuite suite;
    suite.write(u"tajne.css"_s, "p { color: red }");
    suite.write(u"tajne.png"_s, "PNG-BYTES");
    const QUrl css = QUrl::fromLocalFile(suite.path(u"tajne.css"_s));
    const QUrl png = QUrl::fromLocalFile(suite.path(u"tajne.png"_s));
    PageServer server;
    server.route("/a", serverPage(u"<link rel=\"stylesheet\" href=\""_s + css.toString() +
                                  u"\"><img src=\""_s + png.toString() +
                                  u"\"><img src=\"tajne.png\"><p>Text</p>"_s));
    QDir::setCurrent(suite.dir()); // where a relative name would be looked for
    auto window = openWindow(layout(server.base() + u"/a"_s, u"9000/@/9000/@/O/@/normal/@/x/@/"_s));
    QDir::setCurrent(QDir::tempPath());
    QTextDocument* document = window->page()->document();
    EXPECT_EQ(document->resource(QTextDocument::StyleSheetResource, css).toByteArray(), "");
    EXPECT_EQ(document->resource(QTextDocument::ImageResource, png).toByteArray(), "");
    EXPECT_EQ(document->resource(QTextDocument::ImageResource, QUrl(u"tajne.png"_s)).toByteArray(),
              "");
}

TEST(BrowserWindow, PicturesOfAPageNeverComeFromTheDiskNorLinksToIt)
{
    zuvtest::TempSuite suite;
    QImage picture(64, 64, QImage::Format_RGB32);
    picture.fill(Qt::red);
    picture.save(suite.path(u"tajne.png"_s));
    const QString fifo = suite.path(u"fifo"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // Whoever opens the FIFO to read it shows up here; the write lets a
    // reader go on, so that a failure is a failure and not a hang.
    std::atomic<bool> done{false}, opened{false};
    std::thread writer([&] {
        while (!done) {
            const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                opened = true;
                [[maybe_unused]] auto n = ::write(fd, "x", 1);
                ::close(fd);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    const QString png = QUrl::fromLocalFile(suite.path(u"tajne.png"_s)).toString();
    PageServer server;
    // The links come first: they must be on the screen to be clicked.
    const QString links =
        u"<a href=\"file:///etc/passwd\">soubor</a> <a href=\"data:text/html,x\">data</a> "
        "<a href=\"smb://x/y\">sdileni</a> <a href=\"vbscript:x\">skript</a> "
        "<a href=\"mailto:eva@zuv.cz\">posta</a>"_s;
    server.route("/a", serverPage(links + u"<img src=\""_s + png + u"\"><img src=\"../../../../"_s +
                                  suite.path(u"tajne.png"_s) + u"\"><img src=\""_s + fifo +
                                  u"\"><p>"_s + QString(1024 * 1024, u'w') + u"</p>"_s));
    QElapsedTimer clock;
    clock.start();
    auto window = openWindow(layout(server.base() + u"/a"_s, u"9000/@/9000/@/O/@/normal/@/x/@/"_s));
    QTextDocument* document = window->page()->document();
    document->documentLayout()->documentSize(); // lays out, pictures and the long word
    const qint64 shown = clock.elapsed();
    done = true;
    writer.join();
    EXPECT_FALSE(opened) << "the FIFO was opened";
    EXPECT_LT(shown, 3000) << "a 1 MB word";
    for (const QUrl& url : {QUrl(png), QUrl(u"../../../../"_s + suite.path(u"tajne.png"_s))}) {
        const QImage loaded = document->resource(QTextDocument::ImageResource, url).value<QImage>();
        EXPECT_NE(loaded.size(), QSize(64, 64)) << url.toString().toStdString();
    }
    for (const QString& text : {u"soubor"_s, u"data"_s, u"sdileni"_s, u"skript"_s, u"posta"_s})
        clickLink(window->page(), text);
    EXPECT_EQ(zuvtest::logLines(suite.shellLog()), QStringList{u"open\t\tmailto:eva@zuv.cz"_s});
}

TEST(BrowserProcess, StartedAsTheSuiteStartsItAndClosedByItsPage)
{
    zuvtest::TempSuite suite;
    PageServer server;
    server.hold(); // so that the window is surely seen before its page closes it
    server.route("/zuv/note.php", serverPage(u"Uloženo.<!-- zuvbrowser:end -->"_s));
    const QString caption = u"Zuv - poznámka: Žofie Malá"_s;
    const QString program = QString(zuvtest::suitePath(u"ZuvBrowser"_s)).replace(u'/', u'\\');
    ASSERT_TRUE(Shell(program + u".exe "_s + server.base() +
                          u"\\zuv\\note.php?user=123456&nick=Žofie Malá/@/4150/@/2700/@/"_s +
                          caption + u"/@/normal/@/endtest/@/"_s,
                      SW_SHOWMINIMIZED));
    // The port is this test's own, so it finds exactly the program it started.
    const QByteArray needle = server.base().toLatin1();

    EXPECT_TRUE(zuvtest::waitFor([&] { return bool(FindWindowA(caption)); }, 15000));
    EXPECT_TRUE(zuvtest::waitFor([&] { return !server.targets.isEmpty(); }, 15000));
    EXPECT_EQ(server.targets, QList<QByteArray>{"/zuv/note.php?user=123456&nick=%8Eofie%20Mal%E1"});
    EXPECT_FALSE(processesWith(needle).isEmpty());

    server.release();
    EXPECT_TRUE(zuvtest::waitFor([&] { return processesWith(needle).isEmpty(); }, 15000));
    EXPECT_FALSE(FindWindowA(caption));
    for (pid_t pid : processesWith(needle))
        ::kill(pid, SIGKILL);
}
