#include "password.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <crypt.h>
#include <cstring>
#include <memory>

namespace zuv::server {
namespace {

// Debian's own cost for yescrypt: about 20 ms and 16 MiB a hash.
constexpr unsigned long kYescryptCost = 5;
constexpr char kYescryptPrefix[] = "$y$";

bool equalInConstantTime(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

QByteArray oldDigest(const QByteArray& salt, const QString& password)
{
    QCryptographicHash sha(QCryptographicHash::Sha256);
    sha.addData(salt);
    sha.addData(password.toUtf8());
    return sha.result();
}

// yescrypt of the password under `setting` (a fresh salt, or a stored hash).
QByteArray yescrypt(const QString& password, const char* setting)
{
    auto data = std::make_unique<crypt_data>();
    std::memset(data.get(), 0, sizeof(crypt_data));
    const char* result =
        crypt_rn(password.toUtf8().constData(), setting, data.get(), int(sizeof(crypt_data)));
    // A failure is "*" and the like, never a "$y$" hash.
    if (!result || std::strncmp(result, kYescryptPrefix, 3) != 0)
        return {};
    return QByteArray(result);
}

} // namespace

PasswordHash hashPassword(const QString& password)
{
    char entropy[16];
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(entropy), 4);
    char setting[CRYPT_GENSALT_OUTPUT_SIZE];
    if (!crypt_gensalt_rn(kYescryptPrefix, kYescryptCost, entropy, int(sizeof entropy), setting,
                          int(sizeof setting)))
        return {};
    return {QByteArray(), yescrypt(password, setting)};
}

bool verifyPassword(const QString& password, const PasswordHash& stored)
{
    if (stored.hash.startsWith(kYescryptPrefix))
        return equalInConstantTime(yescrypt(password, stored.hash.constData()), stored.hash);
    if (stored.salt.isEmpty() || stored.hash.isEmpty())
        return false;
    return equalInConstantTime(oldDigest(stored.salt, password), stored.hash);
}

bool needsRehash(const PasswordHash& stored)
{
    return !stored.hash.startsWith(kYescryptPrefix);
}

} // namespace zuv::server
