#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>

class QSocketNotifier;

namespace zuv {

// A window others can find by its caption and send commands to. Each
// published window is one socket in the bus folder; the caption is published
// exactly as Windows-1250 bytes. Without a handler every command is answered
// with 0, as a window without a replaced procedure would.
class BusWindow : public QObject
{
    Q_OBJECT
public:
    using Handler =
        std::function<qint64(quint32 dwData, quint64 senderWindow, const QByteArray& bytes)>;

    explicit BusWindow(QObject* parent = nullptr);
    ~BusWindow() override;

    // Publishes the caption, or re-publishes under a new one. False when the
    // bus folder or the socket cannot be made. Published before the
    // application object exists, the window can be found at once and answers
    // once publish() is called again with the application there.
    bool publish(const QString& caption);
    // Withdraws the window; nobody finds it any more.
    void withdraw();

    // Follows a top-level window (a widget, or anything with a windowTitle
    // property and its change signal): its caption is published now and on
    // every change, and the window is withdrawn when it is destroyed.
    void attach(QObject* window);

    QString caption() const { return m_caption; }
    bool isPublished() const { return m_listener >= 0; }
    // The window's id ("window handle"), stable while the object lives.
    quint64 id() const { return m_id; }

    void setHandler(Handler handler) { m_handler = std::move(handler); }

    // The program's main window, sent along with every command as the sender.
    static void setMainWindow(BusWindow* window);
    static quint64 mainWindowId();

private slots:
    void followCaption(const QString& caption) { publish(caption); }

private:
    friend class BusConnection;
    void acceptConnections();
    void serveIfRunning();
    // The record is whole: the handler's result is the answer.
    qint64 handle(quint32 dwData, quint64 sender, const QByteArray& bytes);

    QString m_caption;
    QString m_socketPath;
    int m_listener = -1;
    QSocketNotifier* m_listening = nullptr;
    quint64 m_id = 0;
    Handler m_handler;
};

} // namespace zuv
