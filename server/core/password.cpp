#include "password.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

namespace zuv::server {
namespace {

constexpr int kSaltWords = 4; // 16 bytes

QByteArray digest(const QByteArray& salt, const QString& password)
{
    QCryptographicHash sha(QCryptographicHash::Sha256);
    sha.addData(salt);
    sha.addData(password.toUtf8());
    return sha.result();
}

} // namespace

PasswordHash hashPassword(const QString& password)
{
    quint32 words[kSaltWords];
    QRandomGenerator::system()->fillRange(words);
    const QByteArray salt(reinterpret_cast<const char*>(words), sizeof words);
    return {salt, digest(salt, password)};
}

bool verifyPassword(const QString& password, const PasswordHash& stored)
{
    const QByteArray computed = digest(stored.salt, password);
    if (computed.size() != stored.hash.size())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < computed.size(); ++i)
        difference |= static_cast<unsigned char>(computed[i] ^ stored.hash[i]);
    return difference == 0;
}

} // namespace zuv::server
