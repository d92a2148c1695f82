#pragma once
#include "devices/common/dataset.h"

#include <QAbstractTableModel>
#include <QString>

#include <vector>

namespace wendax::gui {

/// One grid column: the dataset field it shows and its title.
struct GridColumn {
    QString field;
    QString title;
};

/// The one adapter between a device table and a Qt grid. Texts and numbers
/// show as they are; Boolean cells carry a check state (the delegates draw
/// them). User edits pass the dataset's rules (read-only fields, code cells'
/// set-text rule); program assignments come back through the dataset's
/// change callback, which this model owns while it lives.
class DatasetModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    DatasetModel(Dataset& dataset, std::vector<GridColumn> columns, QObject* parent = nullptr);
    ~DatasetModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    /// Column titles can be replaced (translations).
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role) override;

    Dataset& dataset() { return m_dataset; }
    const DatasetField& fieldOf(int column) const;
    std::size_t fieldIndexOf(int column) const { return m_fieldIndices.at(static_cast<std::size_t>(column)); }
    bool isCodeColumn(int column) const;
    bool isBooleanColumn(int column) const;
    /// A click on a Boolean cell: the value flips once.
    void toggle(const QModelIndex& index);

private:
    void cellChanged(std::size_t row, std::size_t field);

    Dataset& m_dataset;
    std::vector<GridColumn> m_columns;
    std::vector<std::size_t> m_fieldIndices;
};

} // namespace wendax::gui
