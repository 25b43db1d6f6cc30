#pragma once

#include <QHostAddress>
#include <QMap>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <foundation/codepage.h>

namespace zuvtest {

// A POP3 server on loopback whose mailboxes are a count and a size per
// user; any password is taken. It keeps what the clients said, read as
// Windows-1250 as the checker sends it.
class MailboxServer : public QObject
{
public:
    MailboxServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* client = m_server.nextPendingConnection()) {
                client->setParent(this);
                connect(client, &QTcpSocket::readyRead, this, [this, client] { serve(client); });
                client->write("+OK ready\r\n");
            }
        });
    }
    quint16 port() const { return m_server.serverPort(); }
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(port()); }
    void setMailbox(const QString& user, int count, int bytes) { m_boxes[user] = {count, bytes}; }
    QStringList said;

private:
    void serve(QTcpSocket* client)
    {
        while (client->canReadLine()) {
            const QString line = zuv::CodePage::decode(client->readLine()).trimmed();
            said << line;
            const QString verb = line.section(u' ', 0, 0).toUpper();
            if (verb == u"USER") {
                m_users[client] = line.section(u' ', 1);
                client->write("+OK\r\n");
            } else if (verb == u"STAT") {
                const auto box = m_boxes.value(m_users.value(client));
                client->write(
                    QStringLiteral("+OK %1 %2\r\n").arg(box.first).arg(box.second).toUtf8());
            } else if (verb == u"QUIT") {
                client->write("+OK bye\r\n");
                client->disconnectFromHost();
            } else if (verb == u"CAPA") {
                client->write("+OK\r\nUSER\r\n.\r\n");
            } else {
                client->write("+OK\r\n");
            }
        }
    }

    QTcpServer m_server;
    QMap<QString, std::pair<int, int>> m_boxes;
    QMap<QTcpSocket*, QString> m_users;
};

} // namespace zuvtest
