#pragma once

#include "sql.h"

#include <QString>

namespace zuv::server::Contacts {

// True when the contact was added, false when it was already in the list.
bool add(Sql& db, int owner, int contact);
// True when the contact was in the list.
bool remove(Sql& db, int owner, int contact);

// The owner's private note about a contact; empty when there is none.
QString note(Sql& db, int owner, int contact);
void setNote(Sql& db, int owner, int contact, const QString& text);

} // namespace zuv::server::Contacts
