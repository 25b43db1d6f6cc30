#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

namespace zuv {

class BusWindow;

// A window's command table: tests run in order, each independent of the
// others, and a test that throws is skipped while the next still runs.
class CommandTable
{
public:
    // The whole text equals `text`.
    CommandTable& whole(const QString& text, std::function<void()> handler);
    // The text begins with `prefix`; the handler gets the rest.
    CommandTable& prefix(const QString& prefix, std::function<void(const QString& rest)> handler);
    // Runs when no test of the table matched.
    CommandTable& otherwise(std::function<void(const QString& text)> handler);

    void dispatch(const QString& command) const;

private:
    struct Test
    {
        QString text;
        bool isPrefix;
        std::function<void(const QString&)> handler;
    };
    QList<Test> m_tests;
    std::function<void(const QString&)> m_otherwise;
};

// What a window's replaced procedure does with a command record.
struct WindowProcHooks
{
    std::function<void(const QString& command)> command;
    // dwData other than 1; most windows ignore it.
    std::function<void(quint32 dwData)> unknownData;
};

// Handles one command record: dwData other than 1 goes to unknownData, an
// empty command is ignored, any other is decoded from Windows-1250 and given
// to the command hook; whatever it throws is caught. Always answers -1.
qint64 WindowProc(const WindowProcHooks& hooks, quint32 dwData, const QByteArray& bytes);

// Installs WindowProc with these hooks on the window (on), or withdraws the
// handling so commands get the plain answer 0 (off).
void SetSubclass(BusWindow& window, bool on, WindowProcHooks hooks = {});

} // namespace zuv
