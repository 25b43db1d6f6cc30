#include "search.h"

#include "records.h"

namespace zuv::messenger {
namespace {

// Characters that would end a value, start a fragment, read as a space or
// begin an escape, and the separator of the downloader's argument.
QString queryValue(const QString& value)
{
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case u'%':
            out += QStringLiteral("%25");
            break;
        case u'&':
            out += QStringLiteral("%26");
            break;
        case u'#':
            out += QStringLiteral("%23");
            break;
        case u'+':
            out += QStringLiteral("%2B");
            break;
        case u'@':
            out += QStringLiteral("%40");
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace

AgeLimits searchAgeLimits(const QString& from, const QString& to)
{
    if (from.isEmpty() && to.isEmpty())
        return {};
    return {from.isEmpty() ? QStringLiteral("0") : from, to.isEmpty() ? QStringLiteral("100") : to};
}

QString ageNotice(const AgeLimits& ages)
{
    return QStringLiteral("Vyhledávání jste omezeli věkem.\r\n"
                          "Nyní budou zobrazeni jen ti uživatelé, kteří při registraci zadali své "
                          "datum narození a jejichž věk je v rozmezí od ") +
           ages.from + QStringLiteral(" do ") + ages.to +
           QStringLiteral(" let.\r\nUživatelů, kteří zadali své datum narození není mnoho, proto "
                          "vyhledávání podle věku není příliš efektivní.");
}

QString searchUrl(const QString& serverBase, const QString& ownId, const QString& password,
                  const SearchForm& form)
{
    const AgeLimits ages = searchAgeLimits(form.ageFrom, form.ageTo);
    const std::pair<const char16_t*, QString> pairs[] = {
        {u"&id=", form.id},
        {u"&agefrom=", ages.from},
        {u"&ageto=", ages.to},
        {u"&nick=", form.nick},
        {u"&line=", form.onlineOnly ? QStringLiteral("online") : QString()},
        {u"&radiostav=", form.listeningOnly ? QStringLiteral("on") : QString()},
        {u"&radio=", form.station},
        {u"&jmeno=", form.firstName},
        {u"&prijmeni=", form.surname},
        {u"&zm=", form.sex},
        {u"&poznamky=", form.notes},
        {u"&mesto=", form.town},
    };
    QString url = serverBase + QStringLiteral("/zuv/search.php?idh=") + ownId +
                  QStringLiteral("&h=") + password;
    for (const auto& [key, value] : pairs)
        url += QString::fromUtf16(key) + queryValue(value);
    return url;
}

QString userAddUrl(const QString& serverBase, const QString& ownId, const QString& password,
                   const QString& number)
{
    return serverBase + QStringLiteral("/zuv/user_add.php?id=") + ownId + QStringLiteral("&h=") +
           password + QStringLiteral("&user=") + number;
}

ClassifiedSearchLine classifySearchLine(const QString& line)
{
    const std::pair<const char16_t*, SearchLine> markers[] = {
        {u"add//", SearchLine::Add},
        {u"next//", SearchLine::Next},
        {u"num//", SearchLine::Num},
        {u"svs//", SearchLine::Svs},
    };
    for (const auto& [marker, kind] : markers) {
        const QStringView prefix(marker);
        if (line.startsWith(prefix))
            return {kind, line.mid(prefix.size())};
    }
    return {};
}

QString listenersCaption(const QString& station)
{
    return station.isEmpty() ? QString()
                             : QStringLiteral("...uživatelé, kteří poslouchají ") + station;
}

std::optional<SearchResult> parseSearchResult(const QString& record)
{
    const QStringList fields = record.split(QStringLiteral("/@/"));
    if (fields.size() < 12 || !isMemberNumber(fields[0]))
        return std::nullopt;
    SearchResult r;
    r.number = fields[0];
    r.mood = fields[1];
    r.nick = fields[2];
    r.firstName = fields[3];
    r.surname = fields[4];
    r.age = fields[5];
    r.player = fields[6];
    r.station = fields[8];
    r.sex = fields[9];
    r.town = fields[11];
    return r;
}

QString resultImageKey(const QString& mood)
{
    const QString key = moodImageKey(mood);
    return key.isEmpty() ? QStringLiteral("off") : key;
}

QStringList remoteSearchValues(const QString& text)
{
    QStringList values = text.split(u'|');
    for (QString& value : values)
        value.remove(QStringLiteral("*x"));
    return values;
}

ClassifiedUserAdd classifyUserAddLine(const QString& line)
{
    if (line.startsWith(u"noadd//"))
        return {UserAddAnswer::NotAdded, {}};
    if (line.startsWith(u"exist//"))
        return {UserAddAnswer::Exists, {}};
    if (line.startsWith(u"nick//"))
        return {UserAddAnswer::Added, line.mid(7)}; // "nick// " + nickname
    return {};
}

} // namespace zuv::messenger
