#pragma once

#include <QDialog>
#include <QFileSystemWatcher>
#include <QTimer>
#include <foundation/serversettings.h>

namespace zuv::messenger {

// The start-up window: fetches a fresh server settings file and waits for a
// connection; lives at most 10 s.
class Loading : public QDialog
{
    Q_OBJECT
public:
    explicit Loading(QWidget* parent = nullptr);

    // The server settings as they stand when the window closes.
    const ServerSettings& server() const { return m_server; }

    QTimer Timer1;        // 500 ms: has the new server file come?
    QTimer Timer2;        // 10 s: give up waiting
    QTimer CekejNaOnLine; // 5 s: wait for a connection

    void StartLoading();
    void Timer1_Timer();
    void Timer2_Timer();
    void CekejNaOnLine_Timer();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void LoadOptions();
    ServerSettings m_server;
    QFileSystemWatcher m_watcher;
    bool m_started = false;
};

} // namespace zuv::messenger
