#pragma once

#include <QList>
#include <QPair>
#include <QString>

namespace zuv::server::Html {

QString escape(const QString& text);

// A whole page declaring windows-1250, with the title as its heading.
QString page(const QString& title, const QString& body);

// A two-column table of labels and already escaped values.
QString table(const QList<QPair<QString, QString>>& rows);

// A form that sends its fields back to `action` with GET, since the pages'
// callers only ever fetch addresses. `hidden` fields travel unchanged.
QString form(const QString& action, const QList<QPair<QString, QString>>& hidden,
             const QString& fields, const QString& button);

// A labelled text input named `name`.
QString input(const QString& label, const QString& name, const QString& value,
              bool password = false);
QString textArea(const QString& label, const QString& name, const QString& value);

} // namespace zuv::server::Html
