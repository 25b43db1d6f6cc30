#pragma once

#include <QByteArray>
#include <QString>

namespace zuv::server {

// A stored password. Made now: yescrypt (libcrypt), its whole setting and
// result as text in `hash`, `salt` empty. From before: SHA-256 over a random
// 16-byte `salt` and the UTF-8 text, which a stolen database gives up far
// too fast; such a hash is replaced at the member's next good login.
struct PasswordHash
{
    QByteArray salt;
    QByteArray hash;
};

PasswordHash hashPassword(const QString& password);

// Compares in constant time, so the answer's timing tells nothing of the hash.
bool verifyPassword(const QString& password, const PasswordHash& stored);

// True for a hash of the old kind.
bool needsRehash(const PasswordHash& stored);

} // namespace zuv::server
