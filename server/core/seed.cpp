#include "seed.h"

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

} // namespace

void seedDemo(Sqlite& db)
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

} // namespace zuv::server
