#pragma once

#include <QByteArray>
#include <QString>

namespace zuv::server {

// A password is kept only as SHA-256 over a random salt and its UTF-8 text.
struct PasswordHash
{
    QByteArray salt;
    QByteArray hash;
};

PasswordHash hashPassword(const QString& password);

// Compares in constant time, so the answer's timing tells nothing of the hash.
bool verifyPassword(const QString& password, const PasswordHash& stored);

} // namespace zuv::server
