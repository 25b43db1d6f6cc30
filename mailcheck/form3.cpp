#include "form3.h"

#include "core/accounts.h"

#include <QFormLayout>
#include <foundation/gui/messagebox.h>

namespace zuv::mailcheck {

Form3::Form3(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Úprava učtu"));
    auto* layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("Název (jen pro vaši přehlednost):"), &TextName);
    layout->addRow(QStringLiteral("Uživatel:"), &TextUser);
    TextPass.setEchoMode(QLineEdit::Password);
    layout->addRow(QStringLiteral("Uživatelské heslo:"), &TextPass);
    TextServer.setText(QStringLiteral("pop3."));
    layout->addRow(QStringLiteral("POP3 server:"), &TextServer);
    LabelHint.setText(QStringLiteral("Např. pop3.example.cz nebo pop3s://mail.example.cz"));
    LabelHint.setStyleSheet(QStringLiteral("color: #555"));
    layout->addRow(QString(), &LabelHint);
    Command1.setText(QStringLiteral("Přidat"));
    Command1.setDefault(true);
    layout->addRow(QString(), &Command1);
    connect(&Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
    setMinimumWidth(420);
}

void Form3::Form_Activate(const QString& editKey)
{
    Command1.setText(editKey.isEmpty() ? QStringLiteral("Přidat") : QStringLiteral("Upravit"));
}

void Form3::Command1_Click()
{
    // The file separates its fields with "|": one typed here would shift
    // the account's fields, the password among them.
    for (const QLineEdit* field : {&TextName, &TextUser, &TextPass, &TextServer}) {
        if (!fitsAccountField(field->text())) {
            MsgBox(QStringLiteral("Znak „|“ nelze v údajích účtu použít."), MsgButtons::Ok,
                   MsgIcon::Exclamation);
            return;
        }
    }
    emit confirmed(TextName.text(), TextUser.text(), TextPass.text(), TextServer.text());
    accept();
}

} // namespace zuv::mailcheck
