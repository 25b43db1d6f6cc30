#include "optionsfile.h"

#include "filelock.h"
#include "paths.h"
#include "textfile.h"

#include <QFile>
#include <QRegularExpression>

namespace zuv {
namespace {

// Brings a short file up to 30 lines. When every line carries its own
// distinct "#NNN:" number below 30, each goes back to that position and the
// gaps get their default prefix; otherwise the missing tail is appended.
QStringList padded(const QStringList& lines)
{
    const QStringList defaults = defaultOptionLines();
    if (lines.size() >= OptionKeys::Count)
        return lines;

    static const QRegularExpression numbered(QStringLiteral("^#(\\d{3}):"));
    QStringList byPosition(OptionKeys::Count);
    bool placeable = true;
    for (const QString& line : lines) {
        const auto match = numbered.match(line);
        const int position = match.hasMatch() ? match.captured(1).toInt() : -1;
        if (position < 0 || position >= OptionKeys::Count || !byPosition[position].isNull()) {
            placeable = false;
            break;
        }
        byPosition[position] = line;
    }
    if (placeable) {
        for (int i = 0; i < OptionKeys::Count; ++i) {
            if (byPosition[i].isNull())
                byPosition[i] = defaults[i];
        }
        return byPosition;
    }
    QStringList result = lines;
    for (qsizetype i = result.size(); i < OptionKeys::Count; ++i)
        result.append(defaults[i]);
    return result;
}

} // namespace

QStringList defaultOptionLines()
{
    using namespace OptionKeys;
    static const OptionKey all[Count] = {
        Reserved0,  Reserved1,  Reserved2, Reserved3, Reserved4, Zuvid,       Zuvpass,      Zuvnick,
        Zuvnalada,  Zuvmode,    Zuvspeed,  SVTop,     SVLast,    SVautoStart, Zuvzobrazeni, Zuvtree,
        ZuvsvStart, Reserved17, Zuv,       Zuvrezim,  SVvolume,  SVskin,      SVpleft,      SVptop,
        PostrelRun, Reserved25, ZuvHeight, ZuvFx,     ZuvFy,     Zuvset};
    QStringList lines;
    for (const OptionKey& key : all)
        lines.append(key.prefix);
    return lines;
}

OptionsFile::OptionsFile(QString path)
    : m_path(path.isEmpty() ? dataPath(QStringLiteral("options.ini")) : resolvePath(path))
{}

QString OptionsFile::lockPath() const
{
    return m_path + QStringLiteral(".lock");
}

bool OptionsFile::loadUnlocked()
{
    const auto lines = TextFile::readLines(m_path);
    if (!lines && QFile::exists(m_path))
        return false; // there but unreadable: never overwrite what we could not read
    m_lines = lines ? TextFile::withoutEmptyLines(*lines) : QStringList();
    if (lines && m_lines.size() >= OptionKeys::Count)
        return true;
    m_lines = padded(m_lines);
    return TextFile::writeLinesAtomic(m_path, m_lines);
}

bool OptionsFile::load()
{
    if (const auto lines = TextFile::readLines(m_path)) {
        m_lines = TextFile::withoutEmptyLines(*lines);
        if (m_lines.size() >= OptionKeys::Count)
            return true;
    }
    FileLock lock(lockPath());
    return loadUnlocked() || !m_lines.isEmpty();
}

QString OptionsFile::value(int position, qsizetype prefixLength) const
{
    if (position < 0 || position >= m_lines.size())
        return {};
    return m_lines[position].mid(prefixLength);
}

bool OptionsFile::save(const QList<std::pair<OptionKey, QString>>& values)
{
    FileLock lock(lockPath());
    // Lines from an earlier load must not replace a file that is there but
    // cannot be read now.
    if (!loadUnlocked())
        return false;
    for (const auto& [key, value] : values) {
        if (key.position >= 0 && key.position < m_lines.size())
            m_lines[key.position] = key.prefix + value;
    }
    return TextFile::writeLinesAtomic(m_path, m_lines);
}

} // namespace zuv
