#include "buswindow.h"

#include "../codepage.h"
#include "../textfile.h"
#include "busfolder.h"
#include "wire.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>
#include <atomic>
#include <unistd.h>

namespace zuv {
namespace {

std::atomic<quint32> nextWindowNumber{1};
QPointer<BusWindow> mainWindow;

const char* kBufferProperty = "zuvBusBuffer";

} // namespace

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
    if (m_server && caption == m_caption)
        return true;
    const QString folder = Bus::folder();
    if (folder.isEmpty())
        return false;
    const QByteArray bytes = CodePage::encode(caption);
    const QString socketPath = folder + u'/' + Bus::captionPrefix(bytes) +
                               QString::number(::getpid()) + u'-' + QString::number(m_id & 0xFFFFF);

    // The new name is live before the old one goes, so the window is never
    // missing in between.
    auto* server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(socketPath);
    if (!server->listen(socketPath) ||
        !TextFile::writeBytesAtomic(socketPath + QStringLiteral(".title"), bytes)) {
        delete server;
        return false;
    }
    connect(server, &QLocalServer::newConnection, this, [this, server] {
        while (QLocalSocket* connection = server->nextPendingConnection())
            serve(connection);
    });
    withdraw();
    m_server = server;
    m_socketPath = socketPath;
    m_caption = caption;
    return true;
}

void BusWindow::withdraw()
{
    if (!m_server)
        return;
    QFile::remove(m_socketPath + QStringLiteral(".title"));
    m_server->close();
    m_server->deleteLater();
    m_server = nullptr;
    Bus::removeEntry(m_socketPath);
    m_socketPath.clear();
}

void BusWindow::attach(QWidget* widget)
{
    m_widget = widget;
    publish(widget->windowTitle());
    connect(widget, &QWidget::windowTitleChanged, this,
            [this](const QString& title) { publish(title); });
    connect(widget, &QObject::destroyed, this, [this] { withdraw(); });
}

void BusWindow::serve(QLocalSocket* connection)
{
    connection->setParent(this);
    connect(connection, &QLocalSocket::readyRead, this,
            [this, connection] { readCommand(connection); });
    connect(connection, &QLocalSocket::disconnected, connection, &QObject::deleteLater);
    readCommand(connection);
}

void BusWindow::readCommand(QLocalSocket* connection)
{
    QByteArray buffer = connection->property(kBufferProperty).toByteArray() + connection->readAll();
    bool invalid = false;
    const auto header = Bus::Wire::decodeHeader(buffer, &invalid);
    if (invalid) {
        connection->abort(); // not our record, or more than a command may hold
        connection->deleteLater();
        return;
    }
    if (!header || buffer.size() < Bus::Wire::kHeaderSize + qsizetype(header->cbData)) {
        connection->setProperty(kBufferProperty, buffer);
        return;
    }
    connection->setProperty(kBufferProperty, QByteArray());
    const QByteArray bytes = buffer.mid(Bus::Wire::kHeaderSize, header->cbData);

    QPointer<QLocalSocket> guard(connection);
    qint64 result = 0;
    if (m_handler) {
        try {
            result = m_handler(header->dwData, header->sender, bytes);
        } catch (...) {
            result = -1; // a failing handler still answers
        }
    }
    if (!guard)
        return;
    connection->write(Bus::Wire::encodeAnswer(result));
    connection->flush();
    connection->disconnectFromServer();
}

} // namespace zuv
