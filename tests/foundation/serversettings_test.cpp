#include <QDateTime>
#include <QFile>
#include <foundation/serversettings.h>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <support/tempsuite.h>

using namespace Qt::StringLiterals;
using namespace zuv;

namespace {

const QString kEntry = u"Zuv (LoadOptions) zuv_server.tt"_s;

// A server file as the reference server hands it out.
const QStringList kServerLines = {
    u"#000:Zuvnet:"_s,
    u"#001:Zuvnet:"_s,
    u"#002:Zuvnet:"_s,
    u"#003:Zuvnet:"_s,
    u"#004:Zuvnet:"_s,
    u"#005:ZuvServerUpdating:update.zuv.example"_s,
    u"#006:ZuvServer:http://zuv.example/cgi/"_s,
    u"#007:TimerAktiv:3000"_s,
    u"#008:TimerPasiv:60000"_s,
    u"#009:TimerZprav:15000"_s,
};

QByteArray crlf(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += zuvtest::cp1250(line) + "\r\n";
    return bytes;
}

ServerSettings oldValues()
{
    return {u"old-host"_s, u"old-base"_s, u"1"_s, u"2"_s, u"3"_s};
}

void expectValues(const ServerSettings& s, const ServerSettings& expected)
{
    EXPECT_EQ(s.updateHost, expected.updateHost);
    EXPECT_EQ(s.serverBase, expected.serverBase);
    EXPECT_EQ(s.activeInterval, expected.activeInterval);
    EXPECT_EQ(s.passiveInterval, expected.passiveInterval);
    EXPECT_EQ(s.thresholdInterval, expected.thresholdInterval);
}

class ServerSettingsTest : public ::testing::Test
{
protected:
    void putServer(const QByteArray& bytes) const
    {
        suite.write(u"Zuv_Data/zuv_server.tt"_s, bytes);
    }
    QByteArray server() const { return suite.read(u"Zuv_Data/zuv_server.tt"_s); }
    QByteArray errorLog() const { return suite.read(u"Zuv_Data/error.log"_s); }

    zuvtest::TempSuite suite;
};

TEST_F(ServerSettingsTest, ReadsTheFiveValuesAtTheirColumns)
{
    QStringList lines = kServerLines;
    lines.insert(6, QString()); // empty lines do not count
    lines.insert(0, QString());
    putServer(crlf(lines));
    suite.write(u"Zuv_Data/zuv_server.tt.tmp"_s, "saved copy\r\n");

    ServerSettings s = oldValues();
    EXPECT_TRUE(s.load(kEntry));
    expectValues(s, {u"update.zuv.example"_s, u"http://zuv.example/cgi/"_s, u"3000"_s, u"60000"_s,
                     u"15000"_s});
    EXPECT_EQ(server(), crlf(lines)) << "a good file is not replaced";
    EXPECT_FALSE(QFile::exists(suite.data(u"error.log"_s)));
}

TEST_F(ServerSettingsTest, ColumnsCountFromTheLineStartWhateverTheKeySays)
{
    // Values start at characters 24, 16, 17, 17 and 17 of their lines.
    QStringList lines = kServerLines;
    lines[5] = u"12345678901234567890123host"_s;
    lines[6] = u"123456789012345base"_s;
    lines[7] = u"1234567890123456a"_s;
    lines[8] = u"1234567890123456p"_s;
    lines[9] = u"short"_s;
    suite.write(u"custom.tt"_s, crlf(lines));

    ServerSettings s = oldValues();
    EXPECT_TRUE(s.load(kEntry, suite.path(u"custom.tt"_s)));
    expectValues(s, {u"host"_s, u"base"_s, u"a"_s, u"p"_s, QString()});
}

TEST_F(ServerSettingsTest, ToLinesReadsBackTheSameValues)
{
    const ServerSettings written{u"h"_s, u"https://b.example/"_s, u"10"_s, u"20"_s, u"30"_s};
    putServer(crlf(written.toLines()));
    ServerSettings s = oldValues();
    EXPECT_TRUE(s.load(kEntry));
    expectValues(s, written);
}

// ---------------------------------------------------------------------------
// A file that is missing or ends early: the values read so far are taken,
// the saved copy comes back and one line goes to the error log.

struct Failure
{
    const char* name;
    std::optional<QByteArray> file; // nothing: no file
    ServerSettings expected;
};

void PrintTo(const Failure& row, std::ostream* os)
{
    *os << row.name;
}

class ServerSettingsFailure : public ServerSettingsTest,
                              public ::testing::WithParamInterface<Failure>
{};

TEST_P(ServerSettingsFailure, RestoresTheSavedCopyAndLogsOneLine)
{
    const QByteArray saved = crlf(kServerLines);
    suite.write(u"Zuv_Data/zuv_server.tt.tmp"_s, saved);
    if (GetParam().file)
        putServer(*GetParam().file);
    suite.write(u"Zuv_Data/error.log"_s, "1.1.2020 8:00:00 earlier\r\n");

    ServerSettings s = oldValues();
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    EXPECT_FALSE(s.load(kEntry));
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);

    expectValues(s, GetParam().expected);
    EXPECT_EQ(server(), saved);

    const QByteArray log = errorLog();
    ASSERT_TRUE(log.startsWith("1.1.2020 8:00:00 earlier\r\n")) << log.toStdString();
    const QByteArray added = log.mid(qsizetype(qstrlen("1.1.2020 8:00:00 earlier\r\n")));
    ASSERT_TRUE(added.endsWith(kEntry.toLatin1().prepend(' ').append("\r\n")))
        << added.toStdString();
    ASSERT_EQ(added.count('\n'), 1) << added.toStdString();
    const QString stamp = QString::fromLatin1(added.chopped(kEntry.size() + 3));
    const QDateTime when = QDateTime::fromString(stamp, u"d.M.yyyy H:mm:ss"_s);
    ASSERT_TRUE(when.isValid()) << stamp.toStdString();
    EXPECT_TRUE(when >= before && when <= after) << stamp.toStdString();
}

QByteArray firstLines(int count)
{
    return crlf(QStringList{u"#000:Zuvnet:"_s, u"#001:Zuvnet:"_s, u"#002:Zuvnet:"_s,
                            u"#003:Zuvnet:"_s, u"#004:Zuvnet:"_s,
                            u"#005:ZuvServerUpdating:new-host"_s, u"#006:ZuvServer:new-base"_s,
                            u"#007:TimerAktiv:100"_s, u"#008:TimerPasiv:200"_s}
                    .mid(0, count));
}

INSTANTIATE_TEST_SUITE_P(
    Files, ServerSettingsFailure,
    ::testing::Values(Failure{"Missing", std::nullopt, oldValues()},
                      Failure{"Empty", QByteArray(), oldValues()},
                      Failure{"FiveLines", firstLines(5), oldValues()},
                      Failure{"SevenLines",
                              firstLines(7),
                              {u"new-host"_s, u"new-base"_s, u"1"_s, u"2"_s, u"3"_s}},
                      Failure{"NineLinesAndEmptyOnes",
                              firstLines(9) + "\r\n\r\n",
                              {u"new-host"_s, u"new-base"_s, u"100"_s, u"200"_s, u"3"_s}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ServerSettingsTest, WithoutASavedCopyTheFileIsLeftAsItIs)
{
    putServer("#000:Zuvnet:\r\n");
    ServerSettings s = oldValues();
    EXPECT_FALSE(s.load(kEntry));
    EXPECT_EQ(server(), QByteArray("#000:Zuvnet:\r\n"));
    EXPECT_EQ(errorLog().count('\n'), 1);
}

} // namespace
