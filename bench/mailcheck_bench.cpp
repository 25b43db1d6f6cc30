// A check cycle as the e-mail checker's window runs it: 20 accounts on a
// loopback dovecot visited one after another, each visit started when the
// previous one's STAT result arrives. Reports the time of one whole cycle,
// over STLS and over POP3 with TLS from the first byte.
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <core/pop3.h>
#include <support/dovecotprocess.h>

using namespace zuv::mailcheck;

namespace {

constexpr int kAccounts = 20;

QList<zuvtest::DovecotProcess::Mailbox> mailboxes()
{
    QList<zuvtest::DovecotProcess::Mailbox> boxes;
    for (int n = 0; n < kAccounts; ++n)
        boxes.append({QStringLiteral("user%1").arg(n), QStringLiteral("pass%1").arg(n), n % 5,
                      2000 + 100 * n});
    return boxes;
}

// Visits every account once; false when one of them gave no result in time.
bool cycle(Pop3Check& check, const QString& server)
{
    int next = 0;
    int results = 0;
    const auto start = [&] {
        check.CheckEmail(server, QStringLiteral("user%1").arg(next),
                         QStringLiteral("pass%1").arg(next));
        ++next;
    };
    const auto connection = QObject::connect(&check, &Pop3Check::statReceived, [&] {
        ++results;
        if (next < kAccounts)
            start();
    });
    // A real event loop, as in the window: polling would add its own delay
    // to every reply.
    QEventLoop loop;
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    const auto finished = QObject::connect(&check, &Pop3Check::statReceived, &loop, [&] {
        if (results == kAccounts)
            loop.quit();
    });
    start();
    loop.exec();
    const bool done = results == kAccounts;
    QObject::disconnect(connection);
    QObject::disconnect(finished);
    check.abort();
    return done;
}

void BM_CheckCycle(benchmark::State& state)
{
    if (!zuvtest::DovecotProcess::available()) {
        state.SkipWithError("dovecot is not installed (scripts/install-deps)");
        return;
    }
    zuvtest::DovecotProcess dovecot(mailboxes());
    if (!dovecot.started()) {
        state.SkipWithError("dovecot did not start");
        return;
    }
    qputenv("ZUV_MAIL_CA", QFile::encodeName(dovecot.caPath()));
    const bool implicitTls = state.range(0) == 1;
    const QString server = implicitTls
                               ? QStringLiteral("pop3s://127.0.0.1:%1").arg(dovecot.pop3sPort())
                               : QStringLiteral("127.0.0.1:%1").arg(dovecot.pop3Port());
    Pop3Check check;
    // The first visit reads the system's certificate store, once a process.
    if (!cycle(check, server)) {
        state.SkipWithError("a visit gave no result");
        return;
    }
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        if (!cycle(check, server)) {
            state.SkipWithError("a visit gave no result");
            return;
        }
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
    }
    state.SetLabel(implicitTls ? "pop3s, 20 accounts" : "STLS, 20 accounts");
}

} // namespace

BENCHMARK(BM_CheckCycle)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
