#pragma once

#include "optionkeys.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

namespace zuv {

// The shared positional settings file Zuv_Data/options.ini. A setting is
// found by its line position (empty lines do not count) and its value starts
// after the key prefix; the key text itself is never checked.
class OptionsFile
{
public:
    explicit OptionsFile(QString path = {}); // default: the data folder's options.ini

    // Reads the file's non-empty lines. A missing file, or one with fewer than
    // 30 lines, is first created or padded with the key prefixes so that
    // positions hold. False when the file cannot be read even then.
    bool load();

    const QStringList& lines() const { return m_lines; }

    // The value at `position` after `prefixLength` characters; empty when the
    // line is missing or shorter.
    QString value(int position, qsizetype prefixLength) const;
    QString value(const OptionKey& key) const { return value(key.position, key.prefix.size()); }

    // Saves the program's own lines: reloads the file under its lock so the
    // other programs' latest lines come along, replaces each given line with
    // key prefix + value, and rewrites the file atomically. Leaves lines()
    // holding what was written.
    bool save(const QList<std::pair<OptionKey, QString>>& values);

    QString path() const { return m_path; }

private:
    bool loadUnlocked();
    QString lockPath() const;

    QString m_path;
    QStringList m_lines;
};

} // namespace zuv
