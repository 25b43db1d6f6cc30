#include "html.h"

namespace zuv::server::Html {

QString escape(const QString& text)
{
    return text.toHtmlEscaped();
}

QString page(const QString& title, const QString& body)
{
    return QStringLiteral("<!DOCTYPE html>\n<html>\n<head>\n"
                          "<meta http-equiv=\"Content-Type\" "
                          "content=\"text/html; charset=windows-1250\">\n"
                          "<title>%1</title>\n</head>\n<body>\n<h1>%1</h1>\n%2\n</body>\n</html>\n")
        .arg(escape(title), body);
}

QString table(const QList<QPair<QString, QString>>& rows)
{
    QString out = QStringLiteral("<table>\n");
    for (const auto& [label, value] : rows)
        out += QStringLiteral("<tr><th align=\"left\">%1</th><td>%2</td></tr>\n")
                   .arg(escape(label), value);
    return out + QStringLiteral("</table>");
}

QString form(const QString& action, const QList<QPair<QString, QString>>& hidden,
             const QString& fields, const QString& button)
{
    QString out = QStringLiteral("<form method=\"get\" action=\"%1\">\n").arg(escape(action));
    for (const auto& [name, value] : hidden)
        out += QStringLiteral("<input type=\"hidden\" name=\"%1\" value=\"%2\">\n")
                   .arg(escape(name), escape(value));
    return out + fields +
           QStringLiteral("<p><input type=\"submit\" value=\"%1\"></p>\n</form>")
               .arg(escape(button));
}

QString input(const QString& label, const QString& name, const QString& value, bool password)
{
    return QStringLiteral("<p>%1<br><input type=\"%2\" name=\"%3\" value=\"%4\"></p>\n")
        .arg(escape(label), password ? QStringLiteral("password") : QStringLiteral("text"),
             escape(name), escape(value));
}

QString textArea(const QString& label, const QString& name, const QString& value)
{
    return QStringLiteral(
               "<p>%1<br><textarea name=\"%2\" rows=\"4\" cols=\"40\">%3</textarea></p>\n")
        .arg(escape(label), escape(name), escape(value));
}

} // namespace zuv::server::Html
