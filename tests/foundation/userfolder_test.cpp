#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <foundation/userfolder.h>
#include <gtest/gtest.h>
#include <support/tempsuite.h>

using namespace Qt::StringLiterals;
using namespace zuv;

namespace {

void put(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(path.section(u'/', 0, -2));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray get(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

TEST(UserFolder, LocationFollowsXdgDataHome)
{
    zuvtest::TempSuite suite;
    suite.setEnv("HOME", "/home/eva");
    const struct
    {
        QByteArray xdg;
        QString expected;
    } rows[] = {
        {"/data/eva", u"/data/eva/zuv"_s},
        {"/data/eva/", u"/data/eva/zuv"_s},
        {"", u"/home/eva/.local/share/zuv"_s},
        {"relative/path", u"/home/eva/.local/share/zuv"_s},
    };
    for (const auto& row : rows) {
        suite.setEnv("XDG_DATA_HOME", row.xdg);
        EXPECT_EQ(UserFolder::location(), row.expected) << row.xdg.constData();
    }
}

TEST(UserFolder, MissingDefaultsAreCopiedAndAMembersFilesKept)
{
    QTemporaryDir root;
    const QString installed = root.filePath(u"lib/zuv"_s);
    const QString own = root.filePath(u"share/zuv"_s);
    put(installed + u"/Zuv_Data/options.ini"_s, "#000:Zuvid:\r\n");
    put(installed + u"/Zuv_Data/skins/Modrý/main.bmp"_s, "BM skin");
    put(installed + u"/Zuv_Data/img/a.gif"_s, "GIF89a");
    put(installed + u"/zuv"_s, "program"); // programs stay where they are

    ASSERT_TRUE(UserFolder::copyMissingDefaults(installed, own));
    EXPECT_EQ(get(own + u"/Zuv_Data/skins/Modrý/main.bmp"_s), "BM skin");
    EXPECT_EQ(get(own + u"/Zuv_Data/options.ini"_s), "#000:Zuvid:\r\n");
    EXPECT_FALSE(QFile::exists(own + u"/zuv"_s));
    const auto others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther |
                        QFile::WriteOther | QFile::ExeOther;
    EXPECT_FALSE(QFile::permissions(own) & others);
    EXPECT_TRUE(QDir(own + u"/Zuv_Data"_s).entryList({u"*.new-*"_s}).isEmpty());

    // The member's settings and a changed skin survive an upgrade that adds a picture.
    put(own + u"/Zuv_Data/options.ini"_s, "#000:Zuvid:100002\r\n");
    put(own + u"/Zuv_Data/skins/Modrý/main.bmp"_s, "BM own");
    QFile::remove(own + u"/Zuv_Data/img/a.gif"_s);
    put(installed + u"/Zuv_Data/img/b.gif"_s, "GIF89b");
    ASSERT_TRUE(UserFolder::copyMissingDefaults(installed, own));
    EXPECT_EQ(get(own + u"/Zuv_Data/options.ini"_s), "#000:Zuvid:100002\r\n");
    EXPECT_EQ(get(own + u"/Zuv_Data/skins/Modrý/main.bmp"_s), "BM own");
    EXPECT_EQ(get(own + u"/Zuv_Data/img/a.gif"_s), "GIF89a");
    EXPECT_EQ(get(own + u"/Zuv_Data/img/b.gif"_s), "GIF89b");
}

TEST(UserFolder, AFolderThatCannotBeMadeIsReported)
{
    QTemporaryDir root;
    put(root.filePath(u"lib/zuv/Zuv_Data/options.ini"_s), "x");
    put(root.filePath(u"blocked"_s), "a file where the folder should be");
    EXPECT_FALSE(UserFolder::copyMissingDefaults(root.filePath(u"lib/zuv"_s),
                                                 root.filePath(u"blocked/zuv"_s)));
}
