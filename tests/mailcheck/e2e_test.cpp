// The real e-mail checker as the real messenger starts and ends it, against
// zuvd and a loopback POP3 server of the test's own.
#include "mailboxserver.h"

#include <QFile>
#include <QProcess>
#include <foundation/bus/sendmessage.h>
#include <foundation/codepage.h>
#include <foundation/optionsfile.h>
#include <gtest/gtest.h>
#include <support/processes.h>
#include <support/tempsuite.h>
#include <support/zuvdprocess.h>

using namespace Qt::StringLiterals;
using namespace zuv;

TEST(MailCheckerEndToEnd, TheMessengerStartsItHiddenItChecksAndEmailendEndsIt)
{
    zuvtest::TempSuite suite;
    zuvtest::Zuvd zuvd;
    ASSERT_TRUE(zuvd.started());
    zuvtest::MailboxServer pop3;
    pop3.setMailbox(u"eva"_s, 4, 9000);
    suite.setEnv("ZUV_ONLINE", "1");
    suite.setEnv("QT_QPA_PLATFORM", "offscreen");
    suite.write(u"Zuv_Data/zuv_server.tt"_s, zuvd.get("/server.tt?/").body);
    OptionsFile options(suite.data(u"options.ini"_s));
    options.load();
    options.save({{OptionKeys::Zuvid, u"100001"_s},
                  {OptionKeys::Zuvpass, u"demo"_s},
                  {OptionKeys::PostrelRun, u"1"_s}});
    suite.write(u"Zuv_Data/img.jpg"_s, zuvtest::cp1250(u"[auto]0\r\n[interval]60\r\nPráce|"_s +
                                                       pop3.address() + u"|eva|tajné|0|0\r\n"_s));
    ASSERT_TRUE(QFile::link(zuvtest::suitePath(u"Postrel"_s), suite.path(u"Postrel"_s)));

    QProcess messenger;
    messenger.setProcessChannelMode(QProcess::ForwardedChannels);
    messenger.start(zuvtest::suitePath(u"zuv"_s));
    ASSERT_TRUE(messenger.waitForStarted());
    const QString caption = u"Zuv Postrel! (Zuvnet)"_s;
    ASSERT_TRUE(zuvtest::waitFor([&] { return bool(FindWindowA(caption)); }, 15000));
    EXPECT_TRUE(zuvtest::logLines(suite.shellLog())
                    .contains(u"1\t"_s + suite.dir() + u"\\Postrel.exe\tzuv"_s));

    // It checked at once and saved what it found.
    ASSERT_TRUE(zuvtest::waitFor(
        [&] {
            return CodePage::decode(suite.read(u"Zuv_Data/img.jpg"_s)).contains(u"|tajné|4|4"_s);
        },
        10000))
        << pop3.said.join(u' ').toStdString();
    EXPECT_TRUE(pop3.said.contains(u"PASS tajné"_s));

    // The messenger's end tells it to end too.
    ASSERT_TRUE(zuvtest::waitFor([] { return bool(FindWindowA(u"Zuv - Sorvanta"_s)); }, 10000));
    QProcess::execute(zuvtest::suitePath(u"zuvbus"_s),
                      {u"send"_s, u"Zuv - Sorvanta"_s, u"zuvend"_s});
    EXPECT_TRUE(messenger.waitForFinished(10000));
    EXPECT_TRUE(zuvtest::waitFor([&] { return !FindWindowA(caption); }, 10000));
}
