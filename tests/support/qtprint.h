#pragma once

// Readable GoogleTest failure messages for Qt's text types.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QByteArray& bytes, std::ostream* os)
{
    *os << "b\"" << bytes.toPercentEncoding(" /:.,;_-#@!?()[]<>=*&+'").toStdString() << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* os)
{
    *os << '[';
    for (qsizetype i = 0; i < list.size(); ++i)
        *os << (i ? ", \"" : "\"") << list[i].toStdString() << '"';
    *os << ']';
}

// For the notes a failing check carries ("<< row.text").
inline std::ostream& operator<<(std::ostream& os, const QString& text)
{
    return os << text.toStdString();
}
