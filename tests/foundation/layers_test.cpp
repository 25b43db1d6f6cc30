// The command-line programs start without the display side of Qt: none of
// them, nor the library they share, maps a library of the display or sound.
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <support/processes.h>

using namespace Qt::StringLiterals;

TEST(Layers, CommandLineProgramsLinkNoDisplayNorSound)
{
    const QRegularExpression display(
        u"libQt6(Gui|Widgets|Network|DBus|XcbQpa)|libX11|libxcb|libEGL|libGL|libpulse"_s);
    for (const QString& program : {u"load"_s, u"zuvd"_s, u"zuvbus"_s, u"libzuv_foundation.so"_s}) {
        QProcess ldd;
        ldd.start(u"ldd"_s, {zuvtest::suitePath(program)});
        ASSERT_TRUE(ldd.waitForFinished(10000)) << program.toStdString();
        const QString libraries = QString::fromLocal8Bit(ldd.readAllStandardOutput());
        EXPECT_TRUE(libraries.contains(u"libQt6Core"_s)) << program.toStdString();
        const auto found = display.match(libraries);
        EXPECT_FALSE(found.hasMatch())
            << program.toStdString() << " maps " << found.captured(0).toStdString();
    }
    // The window programs do have it, through the second layer.
    QProcess ldd;
    ldd.start(u"ldd"_s, {zuvtest::suitePath(u"msg"_s)});
    ASSERT_TRUE(ldd.waitForFinished(10000));
    const QString msg = QString::fromLocal8Bit(ldd.readAllStandardOutput());
    EXPECT_TRUE(msg.contains(u"libzuv_foundation_gui.so"_s)) << msg.toStdString();
}
