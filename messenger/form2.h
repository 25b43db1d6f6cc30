#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace zuv::messenger {

// The login dialog: asks the server to check a nickname or number with its
// password and keeps them when the server says yes.
class Form2 : public QDialog
{
    Q_OBJECT
public:
    Form2(const QString& serverBase, const QString& storedId, const QString& storedNick,
          const QString& storedPassword, QWidget* parent = nullptr);

    QLineEdit IDText;
    QLineEdit HText;
    QPushButton Command1; // "Přihlásit"
    QPushButton Command2; // registration
    QPushButton Command3; // "Konec"
    QTimer Timer1;        // 200 ms: has the reply come?
    QTimer Timer2;        // 20 s: time-out

    // What the dialog leaves behind for the settings.
    QString number() const { return m_number; }
    QString password() const { return m_password; }
    bool endRequested() const { return m_endRequested; }

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Timer1_Timer();
    void Timer2_Timer();

private:
    void setControlsEnabled(bool enabled);
    QString replyFile() const;

    QString m_serverBase;
    QString m_number;
    QString m_password;
    bool m_endRequested = false;
};

} // namespace zuv::messenger
