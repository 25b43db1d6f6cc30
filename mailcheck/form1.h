#pragma once

#include "core/accounts.h"
#include "core/pop3.h"
#include "form2.h"
#include "form3.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QWidget>
#include <foundation/bus/buswindow.h>
#include <foundation/bus/windowproc.h>

namespace zuv {
class DesktopNotification;
}

namespace zuv::mailcheck {

// The e-mail checker's main window "Zuv Postrel! (Zuvnet)": the POP3
// accounts, their counts, and the check cycle over them.
class Form1 : public QWidget
{
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // The start-up; false when this copy is to end at once.
    bool Form_Load(const QString& commandLine);
    // Whether the start-up keeps the window hidden ("zuv").
    bool startsHidden() const { return m_startsHidden; }

    QTreeWidget ListView1;
    QLabel LabelHint;     // how to add the first account
    QPushButton Command1; // "Zkontroluj teď"
    QCheckBox Check1;     // automatic checking
    QComboBox Combo1;     // interval, seconds
    QPushButton Command3; // "Skrýt"
    QPushButton Command4; // "Konec"
    QPlainTextEdit Text1; // what the servers said
    QLineEdit Text2;      // a raw line to send
    QPushButton Command2; // sends it
    QMenu PopupMenu;
    QAction* MenuPrecteno = nullptr;
    QAction* MenuUpravit = nullptr;
    QAction* MenuOdstranit = nullptr;
    QAction* MenuDuplikovat = nullptr;
    QAction* MenuPridat = nullptr;
    QTimer Timer1;        // the time-out of one mailbox
    QTimer Timer2;        // automatic checking
    QTimer nevimaleendne; // the end after "emailend"
    Form2 notification;
    Form3 accountDialog;

    // The accounts store.
    void LoadUcty();
    void KonecProgramu();
    void EditAddNEW(const QString& iKey, const QString& Name, const QString& User,
                    const QString& Pass, const QString& Server);
    void AktualizujUcet(const QString& NameUcet, const QString& Pocet, const QString& Velikost);

    // The check cycle.
    void CheckLIST();
    void CheckEmail(const QString& Server, const QString& User, const QString& Pass);
    void Timer1_Timer();
    void Timer2_Timer();
    void Check1_Click();
    void Combo1_Click();
    void Command2_Click();

    // The notification, showing and ending.
    void ZobrazDialog();
    void ZobrazForm1();
    void Command3_Click();
    void Command4_Click();
    void Konec();

    // The list's menu and commands.
    void ListView1_Click(Qt::MouseButton button);
    void ListView1_DblClick();
    void MenuPrecteno_Click();
    void MenuUpravit_Click();
    void MenuOdstranit_Click();
    void MenuDuplikovat_Click();
    void MenuPridat_Click();

    // State others look at (tests among them).
    const AccountList& accounts() const { return m_accounts; }
    // A mailbox visit runs.
    bool busy() const { return Winsock1.busy(); }
    bool showForm2() const { return m_showForm2; }
    QString accountsPath() const;
    QTreeWidgetItem* item(const QString& key) const;
    BusWindow& bus() { return m_bus; }
    int cyclesEnded() const { return m_cyclesEnded; }

signals:
    void ended();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void buildMenu();
    void SetSubclass(bool on);
    void showRows();
    // Saves the list just changed, then shows it as the file now holds it.
    void saveAndReload();
    // Sets the automatic check's interval from seconds typed; false (and
    // nothing changed) when they are not a valid interval.
    bool applyInterval(const QString& text);
    void openDialogFor(const QTreeWidgetItem* selected, bool asNew);
    void appendDiagnostic(const QString& text);
    void moveOn(); // the current mailbox is done with: the next one
    void notifyDesktop(int sum);
    QTreeWidgetItem* selectedItem() const;

    Pop3Check Winsock1;
    AccountList m_accounts;
    bool m_fileReadable = true;
    BusWindow m_bus;
    CommandTable m_commands;
    DesktopNotification* m_desktopNotice = nullptr;
    int m_notifiedSum = 0;

    int m_accountIndex = 0;
    QString CurrentName; // the account being visited
    bool m_showForm2 = false;
    QString m_editKey;
    bool m_startsHidden = false;
    bool m_ending = false;
    int m_cyclesEnded = 0;
};

} // namespace zuv::mailcheck
