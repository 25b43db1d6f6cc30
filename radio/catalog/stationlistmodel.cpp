#include "stationlistmodel.h"

#include <QFont>

namespace zuv::radio {

StationListModel::StationListModel(const StationCatalog& catalog, QObject* parent)
    : QAbstractTableModel(parent), m_catalog(catalog)
{}

void StationListModel::setStations(QList<int> stations)
{
    beginResetModel();
    m_stations = std::move(stations);
    endResetModel();
}

QString StationListModel::keyAt(int row) const
{
    const int station = stationAt(row);
    return station < 0 ? QString() : QStringLiteral("zuv") + m_catalog.id(station);
}

int StationListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_stations.size());
}

int StationListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant StationListModel::data(const QModelIndex& index, int role) const
{
    const int station = stationAt(index.row());
    if (station < 0)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return index.column() == 0 ? m_catalog.displayName(station) : m_catalog.country(station);
    case Qt::FontRole:
        if (index.column() == 0 && m_catalog.recommended(station)) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    default:
        return {};
    }
}

QVariant StationListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == 0 ? QStringLiteral("Název rádia") : QStringLiteral("Země");
}

} // namespace zuv::radio
