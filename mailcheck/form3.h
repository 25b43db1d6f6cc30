#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace zuv::mailcheck {

// The account dialog "Úprava učtu": name, user, password and POP3 server.
class Form3 : public QDialog
{
    Q_OBJECT
public:
    explicit Form3(QWidget* parent = nullptr);

    QLineEdit TextName;
    QLineEdit TextUser;
    QLineEdit TextPass;
    QLineEdit TextServer;
    QLabel LabelHint;
    QPushButton Command1; // "Přidat" or "Upravit"

    // Sets the button for a new (empty key) or an edited account.
    void Form_Activate(const QString& editKey);
    void Command1_Click();

signals:
    // The fields the person confirmed.
    void confirmed(const QString& name, const QString& user, const QString& pass,
                   const QString& server);
};

} // namespace zuv::mailcheck
