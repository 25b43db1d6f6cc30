#include "accounts.h"

#include <QFile>
#include <algorithm>
#include <foundation/codepage.h>
#include <foundation/paths.h>
#include <foundation/textfile.h>

namespace zuv::mailcheck {
namespace {

constexpr QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner;

// The file's mode bits, without Qt's flags for the current user.
QFile::Permissions modeOf(const QString& path)
{
    return QFile::permissions(path) &
           ~QFile::Permissions(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
}

// The leading whole number of a text, 0 when it starts with none: counts in
// the file are compared that way, and a broken one must not stop a load.
int leadingNumber(const QString& text)
{
    const QString trimmed = text.trimmed();
    qsizetype end = 0;
    if (end < trimmed.size() && (trimmed[end] == u'-' || trimmed[end] == u'+'))
        ++end;
    while (end < trimmed.size() && trimmed[end].isDigit() && end < 10)
        ++end;
    bool ok = false;
    const int value = trimmed.left(end).toInt(&ok);
    return ok ? value : 0;
}

// Whether the file opens for reading; a folder in its place does not.
bool opensForReading(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
}

bool startsWithNoCase(const QString& line, QLatin1StringView prefix)
{
    return line.startsWith(prefix, Qt::CaseInsensitive);
}

} // namespace

std::optional<AccountsFile> readAccountsFile(const QString& path)
{
    AccountsFile file;
    if (!QFile::exists(resolvePath(path)))
        return file;
    const std::optional<QStringList> lines = TextFile::readLines(path);
    if (!lines)
        return std::nullopt;
    const QLatin1StringView autoTag("[auto]");
    const QLatin1StringView intervalTag("[interval]");
    for (const QString& line : *lines) {
        if (startsWithNoCase(line, autoTag))
            file.autoCheck = leadingNumber(line.mid(autoTag.size())) == 1 ? QStringLiteral("1")
                                                                          : QStringLiteral("0");
        else if (startsWithNoCase(line, intervalTag))
            file.interval = line.mid(intervalTag.size());
        else if (!line.isEmpty())
            file.lines.append(line);
    }
    return file;
}

QByteArray accountsFileBytes(const AccountsFile& file)
{
    QString text = QStringLiteral("[auto]") + file.autoCheck + QStringLiteral("\r\n") +
                   QStringLiteral("[interval]") + file.interval + QStringLiteral("\r\n");
    for (const QString& line : file.lines) {
        if (!line.isEmpty())
            text += line + QStringLiteral("\r\n");
    }
    text += QStringLiteral("\r\n");
    return CodePage::encode(text);
}

bool writeAccountsFile(const QString& path, const AccountsFile& file)
{
    const QString resolved = resolvePath(path);
    // A file that is there but cannot be read holds accounts this program
    // never saw; it is not replaced.
    if (QFile::exists(resolved) && !opensForReading(resolved))
        return false;
    // The rewrite keeps an existing file's mode; one left readable by others
    // is narrowed first so the new content never shows with the wider mode.
    if (QFile::exists(resolved) && modeOf(resolved) != kOwnerOnly)
        QFile::setPermissions(resolved, kOwnerOnly);
    if (!TextFile::writeBytesAtomic(path, accountsFileBytes(file)))
        return false;
    return modeOf(resolved) == kOwnerOnly || QFile::setPermissions(resolved, kOwnerOnly);
}

bool touchAccountsFile(const QString& path)
{
    return TextFile::appendLine(path, QString());
}

QStringList accountFields(const QString& line)
{
    QStringList fields = line.split(u'|');
    while (fields.size() < 6)
        fields.append(QString());
    return fields;
}

QString accountKey(const QString& line)
{
    return QStringLiteral("p") + line.section(u'|', 0, 0);
}

void AccountList::load(const AccountsFile& file)
{
    m_file = file;
    m_rows.clear();
    for (const QString& line : m_file.lines) {
        if (line.isEmpty())
            continue;
        const QString key = accountKey(line);
        if (findRow(key))
            continue; // a second account of that name shares the first one's row
        const QStringList fields = accountFields(line);
        AccountRow row;
        row.key = key;
        row.name = fields[0];
        row.server = fields[1];
        row.user = fields[2];
        row.total = fields[4];
        row.fresh = fields[5];
        row.bold = leadingNumber(row.fresh) > 0;
        m_rows.append(row);
    }
}

AccountsFile AccountList::save() const
{
    AccountsFile file = m_file;
    file.lines.clear();
    for (const QString& line : m_file.lines) {
        if (line.isEmpty())
            continue;
        const AccountRow* shown = row(accountKey(line));
        if (!shown) {
            file.lines.append(line);
            continue;
        }
        const QStringList fields = accountFields(line);
        file.lines.append(
            QStringList{fields[0], fields[1], fields[2], fields[3], shown->total, shown->fresh}
                .join(u'|'));
    }
    return file;
}

void AccountList::EditAddNEW(const QString& iKey, const QString& name, const QString& user,
                             const QString& pass, const QString& server)
{
    // The rows' counts go into the lines first, so a renamed line keeps its
    // own counts even when its new name is another account's.
    AccountsFile file = save();
    if (iKey.isEmpty()) {
        file.lines.append(
            QStringList{name, server, user, pass, QStringLiteral("0"), QStringLiteral("0")}.join(
                u'|'));
    } else if (const AccountRow* shown = row(iKey)) {
        const QString replaced =
            QStringList{name, server, user, pass, shown->total, shown->fresh}.join(u'|');
        for (QString& line : file.lines) {
            if (accountKey(line) == iKey)
                line = replaced;
        }
    }
    load(file);
}

void AccountList::remove(const QString& key)
{
    AccountsFile file = save();
    file.lines.removeIf([&key](const QString& line) { return accountKey(line) == key; });
    load(file);
}

void AccountList::markRead(const QString& key)
{
    if (AccountRow* shown = findRow(key)) {
        shown->bold = false;
        shown->fresh = QStringLiteral("0");
    }
}

void AccountList::AktualizujUcet(const QString& NameUcet, const QString& Pocet,
                                 const QString& Velikost, const QTime& now)
{
    bool isNumber = false;
    const int count = Pocet.trimmed().toInt(&isNumber);
    for (AccountRow& shown : m_rows) {
        if (shown.key.compare(NameUcet, Qt::CaseInsensitive) != 0)
            continue;
        const int oldTotal = leadingNumber(shown.total);
        const int oldFresh = leadingNumber(shown.fresh);
        shown.size = Velikost;
        shown.last = now.toString(QStringLiteral("H:mm:ss"));
        if (!isNumber)
            continue;
        if (count > oldTotal) {
            shown.bold = true;
            shown.total = QString::number(count);
            shown.fresh = QString::number(qint64(oldFresh) + (count - qint64(oldTotal)));
        } else if (count < oldTotal) {
            shown.bold = false;
            shown.total = QString::number(count);
            shown.fresh = QStringLiteral("0");
        }
    }
}

int AccountList::newSum() const
{
    int sum = 0;
    for (const AccountRow& shown : m_rows) {
        const int fresh = leadingNumber(shown.fresh);
        if (fresh > 0)
            sum += fresh;
    }
    return sum;
}

QList<AccountRow> AccountList::sortedRows() const
{
    QList<AccountRow> sorted = m_rows;
    std::stable_sort(sorted.begin(), sorted.end(), [](const AccountRow& a, const AccountRow& b) {
        return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
    });
    return sorted;
}

const AccountRow* AccountList::row(const QString& key) const
{
    for (const AccountRow& shown : m_rows) {
        if (shown.key == key)
            return &shown;
    }
    return nullptr;
}

AccountRow* AccountList::findRow(const QString& key)
{
    return const_cast<AccountRow*>(std::as_const(*this).row(key));
}

QString AccountList::password(const QString& key) const
{
    for (const QString& line : m_file.lines) {
        if (!line.isEmpty() && accountKey(line) == key)
            return accountFields(line)[3];
    }
    return {};
}

bool fitsAccountField(const QString& text)
{
    // A line break would split the account's line just as "|" splits fields.
    return !text.contains(u'|') && !text.contains(u'\r') && !text.contains(u'\n');
}

} // namespace zuv::mailcheck
