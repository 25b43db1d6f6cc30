#include "loading.h"

#include <QFile>
#include <QLabel>
#include <QVBoxLayout>
#include <foundation/online.h>
#include <foundation/paths.h>
#include <foundation/shell.h>
#include <foundation/textfile.h>

namespace zuv::messenger {
namespace {

const char16_t kReaderEntry[] = u"Zuv (LoadOptions) zuv_server.tt";

QString newServerFile()
{
    return dataPath(QStringLiteral("zuv_server-new.tt"));
}

} // namespace

Loading::Loading(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Zuv"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Načítám nastavení serveru…"), this));
    Timer1.setInterval(500);
    Timer2.setInterval(10000);
    Timer2.setSingleShot(true);
    CekejNaOnLine.setInterval(5000);
    connect(&Timer1, &QTimer::timeout, this, &Loading::Timer1_Timer);
    connect(&Timer2, &QTimer::timeout, this, &Loading::Timer2_Timer);
    connect(&CekejNaOnLine, &QTimer::timeout, this, &Loading::CekejNaOnLine_Timer);
    Timer2.start(); // running from creation
    // The poll stays; the watcher only lets the new file be taken at once.
    m_watcher.addPath(dataDir());
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (Timer1.isActive())
            Timer1_Timer();
    });
    LoadOptions();
}

void Loading::LoadOptions()
{
    m_server.load(QString::fromUtf16(kReaderEntry));
}

void Loading::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_started)
        return;
    m_started = true;
    if (TestOnLine())
        StartLoading();
    else
        CekejNaOnLine.start();
}

void Loading::StartLoading()
{
    // A file left from an earlier start is no answer to this request.
    QFile::remove(newServerFile());
    Shell(QStringLiteral("load.exe ") + m_server.updateHost + QStringLiteral("/server.tt?/") +
              QStringLiteral("/@/") + programDir() + QStringLiteral("\\Zuv_Data\\") +
              QStringLiteral("zuv_server-new.tt"),
          SW_SHOWNOACTIVATE);
    Timer1.start();
}

void Loading::Timer1_Timer()
{
    if (!QFile::exists(newServerFile()))
        return;
    Timer1.stop();
    // Only a file that reads as server settings replaces the one in force,
    // and it replaces it in one step: an error page from a proxy or a crash
    // halfway never leaves the messenger without its server.
    ServerSettings fresh;
    if (fresh.read(newServerFile()) && !fresh.serverBase.isEmpty()) {
        const auto bytes = TextFile::readBytes(newServerFile());
        if (bytes)
            TextFile::writeBytesAtomic(dataPath(QStringLiteral("zuv_server.tt")), *bytes);
    }
    QFile::remove(newServerFile());
    LoadOptions();
    accept();
}

void Loading::Timer2_Timer()
{
    Timer1.stop();
    CekejNaOnLine.stop();
    accept();
}

void Loading::CekejNaOnLine_Timer()
{
    if (!TestOnLine())
        return;
    CekejNaOnLine.stop();
    StartLoading();
}

} // namespace zuv::messenger
