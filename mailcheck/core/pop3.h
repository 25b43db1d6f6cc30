#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>

class QSslSocket;

namespace zuv::mailcheck {

// Field n of a text split at a separator: 0 is the text before the first
// one (all of it when there is none), n the text after the n-th up to the
// next; "NOT FOUND" when there are fewer than n separators.
QString Get_After_Seperator(const QString& strString, int intNthOccurance,
                            const QString& strSeperator);

// What a STAT reply gives: the count and "<kilobytes> KB" (rounded).
struct StatResult
{
    QString count;
    QString size;
};
StatResult statResult(const QString& reply);

// Where an account's server field points: "host", "host:port" or
// "pop3s://host[:port]". Port 995 or pop3s speak TLS from the first byte.
struct MailServer
{
    QString host;
    quint16 port = 110;
    bool implicitTls = false;
};
std::optional<MailServer> parseMailServer(const QString& field);

// One mailbox visit: connect, greeting, (CAPA, STLS), USER, PASS, STAT,
// QUIT, all asynchronous. Replies are taken line by line: one that comes in
// pieces waits for its line end, two in one piece are answered in turn; a
// line longer than the buffer ends the visit. A reply other than "+OK"
// gets no answer and the visit ends at its time-out, as does a server that
// does not answer. A password never goes in the clear to a server that
// offers STLS; a certificate that does not verify ends the visit. The
// time-out belongs to the caller (the window's Timer1).
class Pop3Check : public QObject
{
    Q_OBJECT
public:
    explicit Pop3Check(QObject* parent = nullptr);
    ~Pop3Check() override;

    // Starts a visit, abandoning one that runs (Close and Connect).
    void CheckEmail(const QString& server, const QString& user, const QString& pass);
    void abort();
    bool busy() const;
    // Sends a raw line (the diagnostic box); false when nothing is connected.
    bool sendRaw(const QString& line);
    QString state() const; // "", "USER", "PASS", "STAT", "QUIT"

signals:
    // Every reply line as received, for the diagnostic box.
    void received(const QString& text);
    // Why a visit goes nowhere (a certificate, a too long line, a refused
    // upgrade), for the diagnostic box.
    void problem(const QString& text);
    // The STAT reply arrived: the visit's result. QUIT has been sent.
    void statReceived(const StatResult& result);
    // The visit ends without a result at once, for a problem that waiting
    // cannot mend (a certificate, a line too long). A "-ERR", a refused
    // connection or silence give no signal: the caller's time-out moves on.
    void skipped();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace zuv::mailcheck
