#include "contacts.h"

namespace zuv::server::Contacts {

bool add(Sql& db, int owner, int contact)
{
    db.prepare("INSERT INTO contacts(owner, contact) VALUES(?, ?) ON CONFLICT DO NOTHING")
        .bind(1, qint64(owner))
        .bind(2, qint64(contact))
        .run();
    return db.changes() > 0;
}

bool remove(Sql& db, int owner, int contact)
{
    db.prepare("DELETE FROM contacts WHERE owner = ? AND contact = ?")
        .bind(1, qint64(owner))
        .bind(2, qint64(contact))
        .run();
    return db.changes() > 0;
}

QString note(Sql& db, int owner, int contact)
{
    auto st = db.prepare("SELECT text FROM notes WHERE owner = ? AND contact = ?");
    st.bind(1, qint64(owner)).bind(2, qint64(contact));
    return st.step() ? st.text(0) : QString();
}

void setNote(Sql& db, int owner, int contact, const QString& text)
{
    db.prepare("INSERT INTO notes(owner, contact, text) VALUES(?, ?, ?) "
               "ON CONFLICT(owner, contact) DO UPDATE SET text = excluded.text")
        .bind(1, qint64(owner))
        .bind(2, qint64(contact))
        .bind(3, text)
        .run();
}

} // namespace zuv::server::Contacts
