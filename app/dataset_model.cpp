#include "dataset_model.h"

#include <stdexcept>

namespace wendax::gui {

DatasetModel::DatasetModel(Dataset& dataset, std::vector<GridColumn> columns, QObject* parent)
    : QAbstractTableModel(parent)
    , m_dataset(dataset)
    , m_columns(std::move(columns))
{
    for (const GridColumn& column : m_columns) {
        const auto index = m_dataset.fieldIndex(column.field.toStdString());
        if (!index)
            throw std::logic_error("table " + m_dataset.name() + " has no field " + column.field.toStdString());
        m_fieldIndices.push_back(*index);
    }
    m_dataset.onCellChanged = [this](std::size_t row, std::size_t field) { cellChanged(row, field); };
}

DatasetModel::~DatasetModel()
{
    m_dataset.onCellChanged = nullptr;
}

int DatasetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_dataset.rowCount());
}

int DatasetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

const DatasetField& DatasetModel::fieldOf(int column) const
{
    return m_dataset.fields().at(fieldIndexOf(column));
}

bool DatasetModel::isCodeColumn(int column) const
{
    return column >= 0 && column < columnCount() && fieldOf(column).codeLength != 0;
}

bool DatasetModel::isBooleanColumn(int column) const
{
    return column >= 0 && column < columnCount() && fieldOf(column).type == FieldType::Boolean;
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    const std::size_t field = fieldIndexOf(index.column());
    const CellValue& value = m_dataset.cell(row, field);
    if (const auto* flag = std::get_if<bool>(&value))
        return role == Qt::CheckStateRole ? QVariant(*flag ? Qt::Checked : Qt::Unchecked) : QVariant();
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    if (const auto* number = std::get_if<long long>(&value))
        return QVariant(*number);
    return QString::fromStdString(std::get<std::string>(value));
}

bool DatasetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    const auto row = static_cast<std::size_t>(index.row());
    const std::size_t field = fieldIndexOf(index.column());
    switch (fieldOf(index.column()).type) {
    case FieldType::Text: return m_dataset.edit(row, field, value.toString().toStdString());
    case FieldType::Integer: return m_dataset.edit(row, field, value.toLongLong());
    case FieldType::Boolean: return m_dataset.edit(row, field, value.toBool());
    }
    return false;
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const DatasetField& field = fieldOf(index.column());
    // Boolean cells change by click on their check box, never by a text editor.
    if (!field.readOnly && field.type != FieldType::Boolean)
        result |= Qt::ItemIsEditable;
    return result;
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    return m_columns[static_cast<std::size_t>(section)].title;
}

bool DatasetModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role)
{
    const bool titleRole = role == Qt::DisplayRole || role == Qt::EditRole;
    if (orientation != Qt::Horizontal || !titleRole || section < 0 || section >= columnCount())
        return false;
    m_columns[static_cast<std::size_t>(section)].title = value.toString();
    emit headerDataChanged(orientation, section, section);
    return true;
}

void DatasetModel::toggle(const QModelIndex& index)
{
    if (index.isValid() && isBooleanColumn(index.column()))
        m_dataset.toggle(static_cast<std::size_t>(index.row()), fieldIndexOf(index.column()));
}

void DatasetModel::cellChanged(std::size_t row, std::size_t field)
{
    for (std::size_t column = 0; column < m_fieldIndices.size(); ++column) {
        if (m_fieldIndices[column] != field)
            continue;
        const QModelIndex at = index(static_cast<int>(row), static_cast<int>(column));
        emit dataChanged(at, at);
    }
}

} // namespace wendax::gui
