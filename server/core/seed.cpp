#include "seed.h"

#include "catalog.h"
#include "contacts.h"
#include "members.h"

#include <QList>
#include <QRandomGenerator>

namespace zuv::server {
namespace {

struct DemoMember
{
    int number;
    Profile profile;
    QString password; // empty: a random one nobody knows
    bool robot;
};

QString randomPassword()
{
    return QString::number(QRandomGenerator::system()->generate64(), 36);
}

struct DemoStation
{
    const char16_t* id;
    const char16_t* name;
    const char16_t* mark;
    const char16_t* country;
    const char16_t* category;
    // The bit rate of each quality level; the empty ones are not offered.
    std::array<const char16_t*, 5> rates;
    const char16_t* web;
    const char16_t* description;
};

CatalogStation station(const DemoStation& d, const QString& stream)
{
    using namespace StationField;
    CatalogStation s;
    s.fields[Id] = QString::fromUtf16(d.id);
    s.fields[Name] = QString::fromUtf16(d.name);
    s.fields[Mark] = QString::fromUtf16(d.mark);
    s.fields[Country] = QString::fromUtf16(d.country);
    s.fields[Category] = QString::fromUtf16(d.category);
    // Every level plays the one local stream, so each station of the demo
    // can be tuned.
    for (std::size_t level = 0; level < d.rates.size(); ++level) {
        const QString rate = QString::fromUtf16(d.rates[level]);
        s.fields[Rate1 + level] = rate;
        s.fields[Url1 + level] = rate.isEmpty() ? QString() : stream;
    }
    s.fields[Web] = QString::fromUtf16(d.web);
    s.fields[Description] = QString::fromUtf16(d.description);
    return s;
}

} // namespace

void seedDemo(Sql& db)
{
    const QList<DemoMember> demo = {
        {100000,
         {QStringLiteral("Zuv robot"), QString(), QString(), QString(), QString(), QString(),
          QStringLiteral("Odpovím na každou zprávu.")},
         QString(),
         true},
        {100001,
         {QStringLiteral("demo"), QStringLiteral("Dan"), QStringLiteral("Ukázkový"),
          QStringLiteral("m"), QStringLiteral("1990-05-17"), QStringLiteral("Praha"),
          QStringLiteral("Zkušební účet.")},
         QStringLiteral("demo"),
         false},
        {100002,
         {QStringLiteral("Eva"), QStringLiteral("Eva"), QStringLiteral("Nováková"),
          QStringLiteral("z"), QStringLiteral("1995-11-02"), QStringLiteral("Brno"),
          QStringLiteral("Ráda si povídám.")},
         QStringLiteral("eva"),
         false},
    };
    Transaction tx(db);
    QList<int> numbers;
    for (const DemoMember& d : demo) {
        if (const auto existing = Members::byNickname(db, d.profile.nickname)) {
            numbers.append(existing->number);
            continue;
        }
        const QString password = d.password.isEmpty() ? randomPassword() : d.password;
        if (const auto number = Members::create(db, d.profile, password, d.number, d.robot))
            numbers.append(*number);
    }
    for (const int owner : numbers) {
        for (const int contact : numbers) {
            if (owner != contact)
                Contacts::add(db, owner, contact);
        }
    }
    tx.commit();
}

void seedDemoCatalog(Sql& db, const QString& stream)
{
    if (Catalog::origin(db) == CatalogOrigin::Imported)
        return;
    StationCatalog catalog;
    const std::pair<const char16_t*, const char16_t*> categories[] = {
        {u"100000", u"Všechna rádia"},
        {u"100000ab", u"Zuv doporučuje"},
        {u"100100", u"Pop a rock"},
        {u"1001001", u"Pop"},
        {u"1001002", u"Rock"},
        {u"100200", u"Mluvené slovo"},
        {u"1002001", u"Zprávy a publicistika"},
        {u"100300", u"Vážná hudba a jazz"},
        {u"100003", u"Televize"},
    };
    for (const auto& [code, name] : categories)
        catalog.categories.append({QString::fromUtf16(code), QString::fromUtf16(name)});
    const DemoStation stations[] = {
        {u"zd0001",
         u"Zuv demo rádio",
         u"tip: hraje z tohoto počítače",
         u"Česko",
         u"100100",
         {u"128", u"", u"", u"", u""},
         u"/faq",
         u"Akord A dur, který demo vysílá přes icecast2 na tomto počítači."},
        {u"zd0002",
         u"Rádio Šumava",
         u"",
         u"Česko",
         u"1001001",
         {u"32", u"64", u"128", u"", u""},
         u"",
         u"Písničky z jižních Čech."},
        {u"zd0003",
         u"Žďárský rock",
         u"",
         u"Česko",
         u"1001002",
         {u"24", u"48", u"96", u"128", u"192"},
         u"",
         u"Kytarový rock ve všech pěti kvalitách."},
        {u"zd0004",
         u"Rádio Tatry",
         u"",
         u"Slovensko",
         u"1001001",
         {u"64", u"128", u"", u"", u""},
         u"",
         u"Slovenské a české hity."},
        {u"zd0005",
         u"Povídky na dobrou noc",
         u"",
         u"Česko",
         u"100200",
         {u"32", u"", u"96", u"", u""},
         u"",
         u"Čtení před spaním; druhá kvalita se nevysílá."},
        {u"zd0006",
         u"Zprávy každou hodinu",
         u"",
         u"Česko",
         u"1002001",
         {u"48", u"", u"", u"", u""},
         u"",
         u"Zpravodajství a publicistika."},
        {u"zd0007",
         u"Jazzový klub Zuv",
         u"usr: doporučuje Eva",
         u"Česko",
         u"100000ab",
         {u"64", u"128", u"", u"", u""},
         u"",
         u"Jazz, který v síti Zuv doporučujeme."},
        {u"zd0008",
         u"Klasika pro Moravu",
         u"",
         u"Česko",
         u"100300",
         {u"48", u"96", u"", u"160", u"256"},
         u"",
         u"Vážná hudba z Brna a Olomouce."},
        {u"zd0009",
         u"Zuv TV",
         u"",
         u"Česko",
         u"100003",
         {u"256", u"", u"", u"", u""},
         u"",
         u"Televizní vysílání; otevře se v přehrávači videa."},
    };
    for (const DemoStation& d : stations)
        catalog.stations.append(station(d, stream));
    catalog.adverts.append(QStringLiteral("600/@/6900/@/1/@//sorvanta.trolvik/reklama.html"));
    catalog.infos.append(
        QStringLiteral("1/@/255/@/60/@/Vítejte v katalogu rádií Zuv!/@/Informace/@/openurl/@/faq"));
    Catalog::replace(db, catalog, CatalogOrigin::Demo);
}

} // namespace zuv::server
