#include "form2.h"

#include "core/loginreply.h"
#include "core/requests.h"

#include <QFile>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <foundation/gui/messagebox.h>
#include <foundation/online.h>
#include <foundation/paths.h>
#include <foundation/shell.h>
#include <foundation/textfile.h>

namespace zuv::messenger {

Form2::Form2(const QString& serverBase, const QString& storedId, const QString& storedNick,
             const QString& storedPassword, QWidget* parent)
    : QDialog(parent), m_serverBase(serverBase), m_number(storedId), m_password(storedPassword)
{
    setWindowTitle(QStringLiteral("Zuv - přihlášení"));
    Command1.setText(QStringLiteral("Přihlásit"));
    Command2.setText(QStringLiteral("Chci se zaregistrovat do sítě Zuv!"));
    Command3.setText(QStringLiteral("Konec"));
    HText.setEchoMode(QLineEdit::Password);
    IDText.setText(storedNick.isEmpty() ? storedId : storedNick);
    // Enter means "Přihlásit" only. Were the other buttons auto-default, the
    // focus that leaves the disabled boxes would make one of them the
    // default, and the same Enter would open the registration page too.
    Command1.setDefault(true);
    Command2.setAutoDefault(false);
    Command3.setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Váš nick (přezdívka) nebo Zuv číslo:"), this));
    layout->addWidget(&IDText);
    layout->addWidget(new QLabel(QStringLiteral("Vaše heslo do sítě Zuv:"), this));
    layout->addWidget(&HText);
    layout->addWidget(&Command1);
    layout->addWidget(&Command2);
    layout->addWidget(&Command3);

    Timer1.setInterval(200);
    Timer2.setInterval(20000);
    connect(&Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(&Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
    connect(&Command3, &QPushButton::clicked, this, &Form2::Command3_Click);
    connect(&IDText, &QLineEdit::returnPressed, this, &Form2::Command1_Click);
    connect(&HText, &QLineEdit::returnPressed, this, &Form2::Command1_Click);
    connect(&Timer1, &QTimer::timeout, this, &Form2::Timer1_Timer);
    connect(&Timer2, &QTimer::timeout, this, &Form2::Timer2_Timer);
}

QString Form2::replyFile() const
{
    return programDir() + QStringLiteral("/zuvlogin.tt");
}

void Form2::setControlsEnabled(bool enabled)
{
    Command1.setEnabled(enabled);
    IDText.setEnabled(enabled);
    HText.setEnabled(enabled);
    if (enabled)
        HText.setFocus(); // ready to type the password again
}

void Form2::Command1_Click()
{
    if (!Command1.isEnabled())
        return;
    setControlsEnabled(false);
    // An old reply must never answer this attempt.
    QFile::remove(replyFile());
    Shell(QStringLiteral("load.exe ") + loginUrl(m_serverBase, IDText.text(), HText.text()) +
              QStringLiteral("/@/") + replyFile(),
          SW_SHOWNOACTIVATE);
    Timer1.start();
    Timer2.start();
}

void Form2::Timer1_Timer()
{
    if (!QFile::exists(replyFile()))
        return;
    Timer1.stop();
    const auto lines = TextFile::readLines(replyFile());
    if (!lines)
        return;
    const LoginReply reply = parseLoginReply(*lines);
    if (reply.number)
        m_number = *reply.number;
    for (const QString& refusal : reply.refusals) {
        MsgBox(refusal, MsgButtons::Ok, MsgIcon::Critical);
        setControlsEnabled(true);
    }
    if (reply.welcome) {
        Timer2.stop();
        MsgBox(*reply.welcome, MsgButtons::Ok, MsgIcon::Information);
        m_password = HText.text();
        accept();
    }
}

void Form2::Timer2_Timer()
{
    Timer2.stop();
    if (!QFile::exists(replyFile()) && TestOnLine()) {
        MsgBox(QStringLiteral("Program nemohl navázat spojení se vzdáleným serverem.\r\n"
                              "Problém může být v připojení k internetu. Zkuste prosím zapnout "
                              "Internet Explorer a akci zopakovat."));
    }
    setControlsEnabled(true);
}

void Form2::Command2_Click()
{
    Shell(programDir() + QStringLiteral("\\ZuvBrowser.exe ") + m_serverBase +
              QStringLiteral("\\zuv\\add_user.php?idh=") + m_number + QStringLiteral("&h=") +
              m_password + QStringLiteral("/@/7200/@/8700/@/Zuvnet - Registrace") +
              QStringLiteral("/@/normal/@/noendtest/@/"),
          SW_SHOWMINIMIZED);
}

void Form2::Command3_Click()
{
    if (MsgBox(QStringLiteral("Opravdu chcete program Zuvnet vypnout?"), MsgButtons::YesNo,
               MsgIcon::Question) != MsgAnswer::Yes)
        return;
    m_endRequested = true;
    reject();
}

} // namespace zuv::messenger
