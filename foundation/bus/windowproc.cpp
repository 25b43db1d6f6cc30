#include "windowproc.h"

#include "../codepage.h"
#include "buswindow.h"

namespace zuv {

CommandTable& CommandTable::whole(const QString& text, std::function<void()> handler)
{
    m_tests.append({text, false, [handler = std::move(handler)](const QString&) {
                        handler();
                    }});
    return *this;
}

CommandTable& CommandTable::prefix(const QString& prefix,
                                   std::function<void(const QString& rest)> handler)
{
    m_tests.append({prefix, true, std::move(handler)});
    return *this;
}

CommandTable& CommandTable::otherwise(std::function<void(const QString& text)> handler)
{
    m_otherwise = std::move(handler);
    return *this;
}

void CommandTable::dispatch(const QString& command) const
{
    bool matched = false;
    for (const Test& test : m_tests) {
        const bool match = test.isPrefix ? command.startsWith(test.text) : command == test.text;
        if (!match)
            continue;
        matched = true;
        try {
            test.handler(test.isPrefix ? command.mid(test.text.size()) : QString());
        } catch (...) {
            // the failing step is skipped; the next test still runs
        }
    }
    if (!matched && m_otherwise) {
        try {
            m_otherwise(command);
        } catch (...) {
        }
    }
}

qint64 WindowProc(const WindowProcHooks& hooks, quint32 dwData, const QByteArray& bytes)
{
    try {
        if (dwData != 1) {
            if (hooks.unknownData)
                hooks.unknownData(dwData);
        } else if (!bytes.isEmpty() && hooks.command) {
            hooks.command(CodePage::decode(bytes));
        }
    } catch (...) {
        // no error leaves a window procedure
    }
    return -1;
}

void SetSubclass(BusWindow& window, bool on, WindowProcHooks hooks)
{
    if (!on) {
        window.setHandler({});
        return;
    }
    window.setHandler([hooks = std::move(hooks)](quint32 dwData, quint64, const QByteArray& bytes) {
        return WindowProc(hooks, dwData, bytes);
    });
}

} // namespace zuv
