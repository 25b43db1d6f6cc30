#include "categories.h"

#include <QHash>
#include <foundation/fieldlist.h>

namespace zuv::radio {

QList<CategoryNode> readCategories(const QStringList& lines)
{
    constexpr QStringView kRoot = u"new//";
    constexpr QStringView kChild = u"add//";
    QList<CategoryNode> nodes;
    QHash<QString, int> byKey;
    for (const QString& line : lines) {
        const bool root = line.startsWith(kRoot);
        if (!root && !line.startsWith(kChild))
            continue;
        FieldReader fields(line.sliced(kRoot.size()));
        if (!fields.hasSeparator())
            continue;
        const QString code = fields.next();
        if (code.isEmpty())
            continue;
        CategoryNode node{QStringLiteral("a") + code, fields.next(), -1};
        if (byKey.contains(node.key))
            continue;
        if (!root) {
            const auto parent = byKey.constFind(QStringLiteral("a") + code.left(6));
            if (parent == byKey.cend())
                continue;
            node.parent = *parent;
        }
        byKey.insert(node.key, int(nodes.size()));
        nodes.append(std::move(node));
    }
    return nodes;
}

QString categoryOfNode(const QString& key)
{
    const QString code = key.mid(1);
    if (code.left(6) != kAllCategoriesCode)
        return code;
    if (code == kAllCategoriesCode)
        return code;
    return QStringLiteral("x") + code.mid(6);
}

bool stationInCategory(QStringView categoryField, QString kategorie)
{
    if (kategorie == kAllCategoriesCode)
        kategorie.clear();
    if (kategorie.startsWith(u'x'))
        return categoryField.mid(6) == QStringView(kategorie).mid(1);
    return categoryField.startsWith(kategorie);
}

} // namespace zuv::radio
