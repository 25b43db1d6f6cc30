#pragma once

#include "catalog/core/stationlist.h"

#include <QAbstractTableModel>
#include <QList>

namespace zuv::radio {

// The stations of one category as the browser's list shows them: name (in
// bold for a recommended station) and country. A model rather than a row of
// items each, so that a catalog of tens of thousands fills it at once.
class StationListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit StationListModel(const StationCatalog& catalog, QObject* parent = nullptr);

    // Catalog indexes in the order shown.
    void setStations(QList<int> stations);
    int stationAt(int row) const { return m_stations.value(row, -1); }
    // The station's key in the list: "zuv" + its id.
    QString keyAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const StationCatalog& m_catalog;
    QList<int> m_stations;
};

} // namespace zuv::radio
