#include "buswindow.h"

#include "../codepage.h"
#include "../stagedfile.h"
#include "busfolder.h"
#include "unixsocket.h"
#include "wire.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QSocketNotifier>
#include <QVariant>
#include <atomic>
#include <unistd.h>

namespace zuv {
namespace {

std::atomic<quint32> nextWindowNumber{1};
QPointer<BusWindow> mainWindow;

} // namespace

// One sender's connection to a published window: it gathers the record,
// runs the window's handler once and answers.
class BusConnection : public QObject
{
public:
    BusConnection(int fd, BusWindow* window) : QObject(window), m_fd(fd), m_window(window)
    {
        m_readable = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(m_readable, &QSocketNotifier::activated, this, &BusConnection::read);
    }
    ~BusConnection() override { Bus::UnixSocket::closeSocket(m_fd); }

    void read()
    {
        const bool open = Bus::UnixSocket::receiveAvailable(m_fd, m_buffer);
        bool invalid = false;
        const auto header = Bus::Wire::decodeHeader(m_buffer, &invalid);
        if (invalid) { // not our record, or more than a command may hold
            deleteLater();
            return;
        }
        const bool whole =
            header && m_buffer.size() >= Bus::Wire::kHeaderSize + qsizetype(header->cbData);
        if (!whole) {
            if (!open)
                deleteLater(); // gone before it said all
            return;
        }
        // The handler may wait for events itself; this record is done with.
        m_readable->setEnabled(false);
        const QByteArray bytes = m_buffer.mid(Bus::Wire::kHeaderSize, header->cbData);
        QPointer<BusConnection> guard(this);
        const qint64 result = m_window->handle(header->dwData, header->sender, bytes);
        if (!guard)
            return; // the window went while its handler ran
        Bus::UnixSocket::sendAll(m_fd, Bus::Wire::encodeAnswer(result));
        deleteLater();
    }

private:
    int m_fd;
    BusWindow* m_window;
    QSocketNotifier* m_readable = nullptr;
    QByteArray m_buffer;
};

BusWindow::BusWindow(QObject* parent)
    : QObject(parent), m_id(Bus::makeWindowId(::getpid(), nextWindowNumber++))
{}

BusWindow::~BusWindow()
{
    withdraw();
}

void BusWindow::setMainWindow(BusWindow* window)
{
    mainWindow = window;
}

quint64 BusWindow::mainWindowId()
{
    return mainWindow ? mainWindow->id() : 0;
}

bool BusWindow::publish(const QString& caption)
{
    if (isPublished() && caption == m_caption) {
        serveIfRunning();
        return true;
    }
    const QString folder = Bus::folder();
    if (folder.isEmpty())
        return false;
    const QByteArray bytes = CodePage::encode(caption);
    const QString socketPath = folder + u'/' + Bus::captionPrefix(bytes) +
                               QString::number(::getpid()) + u'-' + QString::number(m_id & 0xFFFFF);

    // The new name is live before the old one goes, so the window is never
    // missing in between.
    const int listener = Bus::UnixSocket::listenAt(QFile::encodeName(socketPath));
    if (listener < 0)
        return false;
    if (!StagedFile::write(socketPath + QStringLiteral(".title"), bytes)) {
        Bus::UnixSocket::closeSocket(listener);
        Bus::removeEntry(socketPath);
        return false;
    }
    withdraw();
    m_listener = listener;
    m_socketPath = socketPath;
    m_caption = caption;
    serveIfRunning();
    return true;
}

void BusWindow::serveIfRunning()
{
    // Without an application there are no events yet: senders wait in the
    // socket's queue until there are.
    if (m_listening || !QCoreApplication::instance())
        return;
    m_listening = new QSocketNotifier(m_listener, QSocketNotifier::Read, this);
    connect(m_listening, &QSocketNotifier::activated, this, &BusWindow::acceptConnections);
    acceptConnections();
}

void BusWindow::withdraw()
{
    if (!isPublished())
        return;
    QFile::remove(m_socketPath + QStringLiteral(".title"));
    delete m_listening;
    m_listening = nullptr;
    Bus::UnixSocket::closeSocket(m_listener);
    m_listener = -1;
    Bus::removeEntry(m_socketPath);
    m_socketPath.clear();
}

void BusWindow::attach(QObject* window)
{
    publish(window->property("windowTitle").toString());
    // Named, not linked: this layer needs no part of Qt's widgets.
    connect(window, SIGNAL(windowTitleChanged(QString)), this, SLOT(followCaption(QString)));
    connect(window, &QObject::destroyed, this, [this] { withdraw(); });
}

void BusWindow::acceptConnections()
{
    for (int fd = Bus::UnixSocket::acceptNext(m_listener); fd >= 0;
         fd = Bus::UnixSocket::acceptNext(m_listener)) {
        auto* connection = new BusConnection(fd, this);
        connection->read(); // the record may be there already
    }
}

qint64 BusWindow::handle(quint32 dwData, quint64 sender, const QByteArray& bytes)
{
    if (!m_handler)
        return 0;
    try {
        return m_handler(dwData, sender, bytes);
    } catch (...) {
        return -1; // a failing handler still answers
    }
}

} // namespace zuv
