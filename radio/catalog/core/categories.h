#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace zuv::radio {

// The top-level code with a rule of its own: its node lists every station, its children
// list the stations of one group suffix.
inline constexpr QStringView kAllCategoriesCode = u"100000";

// One node of the category tree, in the order of kategories.tt.
struct CategoryNode
{
    QString key;     // "a" + code
    QString name;    // the node's text
    int parent = -1; // index of the parent node in the list, -1 for a root
};

// The tree from the lines of kategories.tt: "new//<code>/@/<name>" is a root,
// "add//<code>/@/<name>" a child of the node keyed "a" + the first six
// characters of its code. A child whose parent is not (yet) there, a key seen
// before and lines of any other form are skipped.
QList<CategoryNode> readCategories(const QStringList& lines);

// The category a node shows, from its key: under "a100000" the node itself
// gives "100000" (all stations) and a child "x" + its group suffix (the code
// from its seventh character); any other node gives its code.
QString categoryOfNode(const QString& key);

// Whether a station with this category field (field 5 of its record) is
// listed under the category: "100000" lists all; "x<suffix>" lists stations
// whose field from its seventh character is exactly the suffix; any other
// code lists the stations whose field starts with it, so a category takes in
// its sub-categories.
bool stationInCategory(QStringView categoryField, QString kategorie);

} // namespace zuv::radio
