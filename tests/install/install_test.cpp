// The suite as `cmake --install` lays it out and scripts/uninstall removes
// it, and as `cpack` packages it: the real installed programs started with
// no program folder named, against zuvd.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <foundation/bus/sendmessage.h>
#include <foundation/optionsfile.h>
#include <gtest/gtest.h>
#include <support/processes.h>
#include <support/tempsuite.h>
#include <support/zuvdprocess.h>

using namespace Qt::StringLiterals;
using namespace zuv;

namespace {

// Installing and packaging copy the whole build; a loaded machine is slow at it.
constexpr int kBuildToolTimeoutMs = 240000;

// Files and links below `dir`, relative to it.
QStringList filesBelow(const QString& dir)
{
    QStringList found;
    QDirIterator it(dir, QDir::Files | QDir::System | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        found.append(QDir(dir).relativeFilePath(it.next()));
    found.sort();
    return found;
}

QString readText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// `packages` with everything the installed packages they name depend on.
QStringList dependencyClosure(QStringList packages)
{
    const zuvtest::ToolResult all =
        zuvtest::runTool(u"dpkg-query"_s, {u"-W"_s, u"-f=${Package}\t${Depends}\n"_s});
    QHash<QString, QStringList> dependsOf;
    for (const QString& line : all.output.split(u'\n', Qt::SkipEmptyParts)) {
        QStringList names;
        for (const QString& item : line.section(u'\t', 1).split(QRegularExpression(u"[,|]"_s)))
            names.append(item.trimmed().section(u' ', 0, 0).section(u':', 0, 0));
        dependsOf.insert(line.section(u'\t', 0, 0), names);
    }
    for (qsizetype i = 0; i < packages.size(); ++i) {
        for (const QString& name : dependsOf.value(packages[i])) {
            if (!name.isEmpty() && !packages.contains(name))
                packages.append(name);
        }
    }
    return packages;
}

} // namespace

TEST(InstalledSuite, FirstStartMakesTheMembersFolderAndUninstallLeavesIt)
{
    zuvtest::TempSuite suite; // its bus folder; its program folder is not used
    QTemporaryDir root;
    const QString prefix = root.filePath(u"prefix"_s);
    const QString own = root.filePath(u"data/zuv"_s);
    const zuvtest::ToolResult install =
        zuvtest::runTool(u"" ZUV_CMAKE_COMMAND ""_s,
                         {u"--install"_s, u"" ZUV_BINARY_DIR ""_s, u"--prefix"_s, prefix}, {},
                         QProcessEnvironment::systemEnvironment(), kBuildToolTimeoutMs);
    ASSERT_EQ(install.exitCode, 0) << install.output.toStdString();

    const QString programs = prefix + u"/lib/zuv"_s;
    EXPECT_EQ(QFileInfo(prefix + u"/bin/zuv"_s).symLinkTarget(), programs + u"/zuv"_s);
    EXPECT_TRUE(QFileInfo(programs + u"/load2"_s).isExecutable());
    EXPECT_TRUE(QFile::exists(prefix + u"/share/icons/hicolor/48x48/apps/sorvanta.png"_s));
    EXPECT_TRUE(QFile::exists(prefix + u"/share/icons/hicolor/scalable/apps/Postrel.svg"_s));
    EXPECT_TRUE(readText(prefix + u"/share/applications/zuv.desktop"_s)
                    .contains(u"\nExec="_s + prefix + u"/bin/zuv\n"_s));
    EXPECT_TRUE(readText(programs + u"/Zuv_Data/zuvst.tt"_s)
                    .contains(u"Exec=\""_s + prefix + u"/bin/zuv\" m"_s));
    const QStringList installedFiles = filesBelow(programs);

    // The member's own login and server, written before the first start;
    // everything else of Zuv_Data comes from the installed defaults.
    zuvtest::Zuvd zuvd;
    ASSERT_TRUE(zuvd.started());
    QDir().mkpath(own + u"/Zuv_Data"_s);
    QFile::copy(programs + u"/Zuv_Data/options.ini"_s, own + u"/Zuv_Data/options.ini"_s);
    QFile::setPermissions(own + u"/Zuv_Data/options.ini"_s, QFile::ReadOwner | QFile::WriteOwner);
    OptionsFile options(own + u"/Zuv_Data/options.ini"_s);
    options.load();
    options.save({{OptionKeys::Zuvid, u"100001"_s},
                  {OptionKeys::Zuvpass, u"demo"_s},
                  {OptionKeys::PostrelRun, u"1"_s}});
    {
        QFile server(own + u"/Zuv_Data/zuv_server.tt"_s);
        ASSERT_TRUE(server.open(QIODevice::WriteOnly));
        server.write(zuvd.get("/server.tt?/").body);
    }

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(u"ZUV_PROGRAM_DIR"_s);
    environment.insert(u"XDG_DATA_HOME"_s, root.filePath(u"data"_s));
    environment.insert(u"ZUV_ONLINE"_s, u"1"_s);
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    QProcess messenger;
    messenger.setProcessEnvironment(environment);
    messenger.setProcessChannelMode(QProcess::ForwardedChannels);
    messenger.start(prefix + u"/bin/zuv"_s);
    ASSERT_TRUE(messenger.waitForStarted());

    // Logged in: the downloader, started by the messenger from the install,
    // put the refresh reply into the member's folder and the server's
    // nickname went into the member's settings; the mail checker, started by
    // "<folder>\Postrel.exe", runs from the install too.
    EXPECT_TRUE(zuvtest::waitFor(
        [&] {
            options.load();
            return QFile::exists(own + u"/zuv.tt"_s) &&
                   !options.value(OptionKeys::Zuvnick).isEmpty();
        },
        20000));
    EXPECT_TRUE(
        zuvtest::waitFor([] { return bool(FindWindowA(u"Zuv Postrel! (Zuvnet)"_s)); }, 15000));
    for (const QString& file : installedFiles) {
        if (file.startsWith(u"Zuv_Data/"_s)) {
            EXPECT_TRUE(QFile::exists(own + u'/' + file)) << file.toStdString();
        }
    }
    options.load();
    EXPECT_EQ(options.value(OptionKeys::Zuvid), u"100001"_s);

    ASSERT_TRUE(zuvtest::waitFor([] { return bool(FindWindowA(u"Zuv - Sorvanta"_s)); }, 10000));
    zuvtest::runTool(prefix + u"/bin/zuvbus"_s, {u"send"_s, u"Zuv - Sorvanta"_s, u"zuvend"_s});
    EXPECT_TRUE(messenger.waitForFinished(15000));
    EXPECT_TRUE(zuvtest::waitFor([] { return !FindWindowA(u"Zuv Postrel! (Zuvnet)"_s); }, 10000));
    // Nothing of the member's went into the installed folder.
    EXPECT_EQ(filesBelow(programs), installedFiles);

    const zuvtest::ToolResult uninstall =
        zuvtest::runTool(u"" ZUV_SOURCE_DIR "/scripts/uninstall"_s, {prefix});
    ASSERT_EQ(uninstall.exitCode, 0) << uninstall.output.toStdString();
    EXPECT_EQ(filesBelow(prefix), QStringList()) << uninstall.output.toStdString();
    EXPECT_FALSE(QFileInfo::exists(programs));
    options.load();
    EXPECT_EQ(options.value(OptionKeys::Zuvid), u"100001"_s);
    EXPECT_TRUE(QFile::exists(own + u"/zuv.tt"_s));
}

TEST(InstalledSuite, UninstallTouchesNothingOutsideItsPrefix)
{
    QTemporaryDir root;
    const QString prefix = root.filePath(u"prefix"_s);
    const QString outside = root.filePath(u"keep.txt"_s);
    QFile(outside).open(QIODevice::WriteOnly);
    QDir().mkpath(prefix + u"/lib/zuv"_s);
    QFile manifest(prefix + u"/lib/zuv/install_manifest.txt"_s);
    ASSERT_TRUE(manifest.open(QIODevice::WriteOnly));
    manifest.write((outside + u"\n"_s + prefix + u"/../keep.txt\n"_s).toUtf8());
    manifest.close();

    EXPECT_EQ(zuvtest::runTool(u"" ZUV_SOURCE_DIR "/scripts/uninstall"_s, {prefix}).exitCode, 0);
    EXPECT_TRUE(QFile::exists(outside));
    EXPECT_NE(
        zuvtest::runTool(u"" ZUV_SOURCE_DIR "/scripts/uninstall"_s, {root.filePath(u"none"_s)})
            .exitCode,
        0);
}

TEST(Package, HoldsTheInstallUnderUsrAndDependsOnWhatItsProgramsLink)
{
    QTemporaryDir out;
    const zuvtest::ToolResult pack =
        zuvtest::runTool(u"" ZUV_CPACK_COMMAND ""_s,
                         {u"--config"_s, u"" ZUV_BINARY_DIR "/CPackConfig.cmake"_s, u"-G"_s,
                          u"DEB"_s, u"-B"_s, out.path()},
                         {}, QProcessEnvironment::systemEnvironment(), kBuildToolTimeoutMs);
    ASSERT_EQ(pack.exitCode, 0) << pack.output.toStdString();
    const QStringList debs = QDir(out.path()).entryList({u"zuv_*.deb"_s});
    ASSERT_EQ(debs.size(), 1) << pack.output.toStdString();
    const QString deb = out.filePath(debs.first());

    const zuvtest::ToolResult contents = zuvtest::runTool(u"dpkg-deb"_s, {u"--contents"_s, deb});
    ASSERT_EQ(contents.exitCode, 0);
    std::printf("%s", qPrintable(contents.output)); // the listing, for whoever reads the log
    for (const QString& entry :
         {u"./usr/lib/zuv/zuv"_s, u"./usr/lib/zuv/msg"_s, u"./usr/lib/zuv/zuvd"_s,
          u"./usr/lib/zuv/libzuv_foundation.so"_s, u"./usr/lib/zuv/installed"_s,
          u"./usr/lib/zuv/Zuv_Data/options.ini"_s, u"./usr/bin/zuv -> ../lib/zuv/zuv"_s,
          u"./usr/share/applications/sorvanta.desktop"_s,
          u"./usr/share/icons/hicolor/256x256/apps/ZuvRecorder.png"_s,
          u"./usr/lib/systemd/system/zuvd.service"_s}) {
        EXPECT_TRUE(contents.output.contains(entry)) << entry.toStdString();
    }
    EXPECT_FALSE(contents.output.contains(u"_test"_s)); // no test programs

    const zuvtest::ToolResult unpack =
        zuvtest::runTool(u"dpkg-deb"_s, {u"-x"_s, deb, out.filePath(u"root"_s)});
    ASSERT_EQ(unpack.exitCode, 0);
    EXPECT_TRUE(readText(out.filePath(u"root/usr/share/applications/zuv.desktop"_s))
                    .contains(u"\nExec=/usr/bin/zuv\n"_s));
    EXPECT_TRUE(readText(out.filePath(u"root/usr/lib/systemd/system/zuvd.service"_s))
                    .contains(u"\nExecStart=/usr/lib/zuv/zuvd "_s));

    // Every library a program links directly comes from a package it depends on.
    const zuvtest::ToolResult field =
        zuvtest::runTool(u"dpkg-deb"_s, {u"--field"_s, deb, u"Depends"_s});
    QStringList depends;
    for (const QString& item : field.output.trimmed().split(u',', Qt::SkipEmptyParts))
        depends.append(item.trimmed().section(u' ', 0, 0));
    if (ZUV_SANITIZED) {
        // A sanitizer build keeps libraries the linker drops otherwise (the
        // OpenGL ones of Qt Gui): there it is enough that they come with
        // what the package depends on.
        depends = dependencyClosure(depends);
    }
    QStringList missing;
    QDirIterator elves(out.filePath(u"root/usr/lib/zuv"_s), QDir::Files);
    while (elves.hasNext()) {
        const QString elf = elves.next();
        QFile file(elf);
        if (!file.open(QIODevice::ReadOnly) || file.read(4) != "\x7f"
                                                               "ELF")
            continue;
        const zuvtest::ToolResult needed = zuvtest::runTool(u"readelf"_s, {u"-d"_s, elf});
        const zuvtest::ToolResult ldd = zuvtest::runTool(u"ldd"_s, {elf});
        for (const auto& match :
             QRegularExpression(u"\\(NEEDED\\)\\s+Shared library: \\[([^\\]]+)\\]"_s)
                 .globalMatch(needed.output)) {
            const QString library = match.captured(1);
            const bool sanitizer =
                library.startsWith(u"libasan"_s) || library.startsWith(u"libubsan"_s);
            if (library.startsWith(u"libzuv_"_s) || (ZUV_SANITIZED && sanitizer))
                continue;
            // "libx.so.1 => /lib/…/libx.so.1 (…)", or the loader by its path alone.
            QRegularExpressionMatch path =
                QRegularExpression(u"\\s"_s + QRegularExpression::escape(library) + u" => (\\S+)"_s)
                    .match(ldd.output);
            if (!path.hasMatch())
                path = QRegularExpression(u"\\s(\\S+/"_s + QRegularExpression::escape(library) +
                                          u")\\s"_s)
                           .match(ldd.output);
            ASSERT_TRUE(path.hasMatch()) << library.toStdString() << ldd.output.toStdString();
            // dpkg knows a library by the path its package put it at, which
            // the merged /usr may show under /usr/lib or /lib.
            const QString real = QFileInfo(path.captured(1)).canonicalFilePath();
            QString package;
            for (const QString& candidate : {path.captured(1), real, QString(real).remove(0, 4),
                                             u"/usr"_s + path.captured(1)}) {
                const zuvtest::ToolResult owner = zuvtest::runTool(u"dpkg"_s, {u"-S"_s, candidate});
                if (owner.exitCode == 0) {
                    package = owner.output.section(u':', 0, 0).trimmed();
                    break;
                }
            }
            if (!depends.contains(package))
                missing.append(library + u" ("_s + package + u')');
        }
    }
    missing.removeDuplicates();
    EXPECT_TRUE(missing.isEmpty())
        << missing.join(u", "_s).toStdString() << "\nDepends: " << field.output.toStdString();
}
