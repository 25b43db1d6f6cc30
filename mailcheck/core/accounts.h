#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>
#include <optional>

namespace zuv::mailcheck {

// Zuv_Data/img.jpg as read: the two settings and the account lines in file
// order ("name|server|user|password|total|new").
struct AccountsFile
{
    QString autoCheck = QStringLiteral("0"); // "[auto]" value
    QString interval = QStringLiteral("60"); // "[interval]" value, seconds
    QStringList lines;                       // List1
};

// Reads the file; a missing file gives the defaults and no lines. Nothing
// when the file exists but cannot be read (then it must not be replaced).
std::optional<AccountsFile> readAccountsFile(const QString& path);
// The file's bytes: "[auto]", "[interval]", every non-empty line, each ended
// by CR LF, and one more CR LF; Windows-1250.
QByteArray accountsFileBytes(const AccountsFile& file);
// Rewrites the file atomically, readable by its owner alone (0600), as it
// holds passwords in the clear.
bool writeAccountsFile(const QString& path, const AccountsFile& file);
// Appends one empty line, creating the file (0600) when missing.
bool touchAccountsFile(const QString& path);

// The fields of an account line; missing fields are empty.
QStringList accountFields(const QString& line);
// "p" & name: the account's key in the list.
QString accountKey(const QString& line);

// One row of the account list as the window shows it.
struct AccountRow
{
    QString key; // "p" & name
    QString name;
    QString user;
    QString server;
    QString total;                      // pNumber
    QString fresh;                      // pNumberNew
    QString size = QStringLiteral("0"); // pSize
    QString last;                       // pLast
    bool bold = false;
};

// The accounts in memory: the lines as stored (List1) and the rows shown
// (ListView1), kept the way the list window keeps them.
class AccountList
{
public:
    // LoadUcty: rows for the lines, the first of two lines with one name
    // only; bold when the new count is above 0.
    void load(const AccountsFile& file);
    // KonecProgramu: the file with every line's counts taken from its row.
    AccountsFile save() const;

    // EditAddNEW: adds (empty key) or replaces the lines of that key; a
    // replaced line keeps its row's counts. Then save and load again.
    void EditAddNEW(const QString& iKey, const QString& name, const QString& user,
                    const QString& pass, const QString& server);
    // Blanks the lines of the key, then save and load again.
    void remove(const QString& key);
    // "Označit za přečtené": normal, new count "0".
    void markRead(const QString& key);
    // One check's result: the count grew (bold, new grows by as much), fell
    // (normal, new 0) or stayed. A count that is not a number changes no
    // count; size and time are stored in every case.
    void AktualizujUcet(const QString& NameUcet, const QString& Pocet, const QString& Velikost,
                        const QTime& now);

    // The sum of the new counts above 0.
    int newSum() const;
    // The rows sorted by name (as the list shows them).
    QList<AccountRow> sortedRows() const;
    const QList<AccountRow>& rows() const { return m_rows; }
    const AccountRow* row(const QString& key) const;
    // The stored password of the key's account.
    QString password(const QString& key) const;
    const QStringList& lines() const { return m_file.lines; }
    QString autoCheck() const { return m_file.autoCheck; }
    QString interval() const { return m_file.interval; }
    void setAutoCheck(const QString& value) { m_file.autoCheck = value; }
    void setInterval(const QString& value) { m_file.interval = value; }

private:
    AccountRow* findRow(const QString& key);
    AccountsFile m_file;
    QList<AccountRow> m_rows; // in file order
};

// A field typed into the account dialog may not hold "|": the file would
// split it.
bool fitsAccountField(const QString& text);

} // namespace zuv::mailcheck
