#include "stationrecord.h"

#include <QFile>
#include <cstring>
#include <foundation/codepage.h>
#include <foundation/paths.h>
#include <foundation/textfile.h>

namespace zuv::radio {
namespace {

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool sameId(const char* line, qsizetype length, const QByteArray& id)
{
    if (length < id.size())
        return false;
    for (qsizetype i = 0; i < id.size(); ++i) {
        if (lower(line[i]) != lower(id[i]))
            return false;
    }
    return true;
}

} // namespace

int stationFieldIndex(const QString& name)
{
    if (name == u"name")
        return 1;
    if (name == u"kk")
        return 5;
    if (name == u"www")
        return 16;
    if (name.size() == 2 && name[1] >= u'1' && name[1] <= u'5') {
        const int level = name[1].unicode() - u'1';
        if (name[0] == u'u')
            return 6 + level;
        if (name[0] == u'k')
            return 11 + level;
    }
    return -1;
}

QString RadioInfo(const QString& catalogPath, const QString& stationId, const QString& field)
{
    const int index = stationFieldIndex(field);
    // The id is compared as the first six characters of a line, so only an
    // id of six can match; the catalog may be large, so lines are matched
    // as bytes and only the one found is decoded.
    if (index < 0 || stationId.size() != 6)
        return {};
    const auto bytes = TextFile::readBytes(catalogPath);
    if (!bytes)
        return {};
    const QByteArray id = CodePage::encode(stationId);
    const char* data = bytes->constData();
    const qsizetype size = bytes->size();
    const char* found = nullptr;
    qsizetype foundLength = 0;
    for (qsizetype start = 0; start < size;) {
        const void* end = std::memchr(data + start, '\n', size_t(size - start));
        const qsizetype stop = end ? static_cast<const char*>(end) - data : size;
        qsizetype length = stop - start;
        if (length > 0 && data[start + length - 1] == '\r')
            --length;
        if (sameId(data + start, length, id)) {
            found = data + start;
            foundLength = length;
        }
        start = stop + 1;
    }
    if (!found)
        return {};
    const QStringList fields =
        CodePage::decode(QByteArrayView(found, foundLength)).split(QStringLiteral("/@/"));
    return fields.value(index);
}

} // namespace zuv::radio
