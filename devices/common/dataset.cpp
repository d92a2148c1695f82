#include "dataset.h"

#include "code_cell.h"

#include <stdexcept>

namespace wendax {

Dataset::Dataset(std::string name, std::vector<DatasetField> fields)
    : m_name(std::move(name))
    , m_fields(std::move(fields))
{
}

std::optional<std::size_t> Dataset::fieldIndex(std::string_view field) const
{
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        if (m_fields[i].name == field)
            return i;
    }
    return std::nullopt;
}

void Dataset::appendRow(std::vector<CellValue> values)
{
    if (values.size() != m_fields.size())
        throw std::logic_error("row of " + m_name + " has the wrong number of values");
    for (std::size_t f = 0; f < values.size(); ++f)
        values[f] = fitted(f, std::move(values[f]));
    m_rows.push_back(std::move(values));
}

const CellValue& Dataset::cell(std::size_t row, std::size_t field) const
{
    return m_rows.at(row).at(field);
}

bool Dataset::boolean(std::size_t row, std::size_t field) const
{
    const auto* value = std::get_if<bool>(&cell(row, field));
    return value != nullptr && *value;
}

std::string Dataset::text(std::size_t row, std::size_t field) const
{
    const auto* value = std::get_if<std::string>(&cell(row, field));
    return value == nullptr ? std::string() : *value;
}

void Dataset::assign(std::size_t row, std::size_t field, CellValue value)
{
    store(row, field, fitted(field, std::move(value)));
}

bool Dataset::edit(std::size_t row, std::size_t field, CellValue value)
{
    const DatasetField& def = m_fields.at(field);
    if (def.readOnly || value.index() != cell(row, field).index())
        return false;
    if (def.codeLength != 0)
        value = codeCellSetText(std::get<std::string>(value), def.codeLength);
    store(row, field, fitted(field, std::move(value)));
    return true;
}

void Dataset::toggle(std::size_t row, std::size_t field)
{
    store(row, field, !boolean(row, field));
}

CellValue Dataset::fitted(std::size_t field, CellValue value) const
{
    const DatasetField& def = m_fields.at(field);
    if (auto* text = std::get_if<std::string>(&value); text != nullptr && def.size != 0 && text->size() > def.size)
        text->resize(def.size);
    return value;
}

void Dataset::store(std::size_t row, std::size_t field, CellValue value)
{
    m_rows.at(row).at(field) = std::move(value);
    if (onCellChanged)
        onCellChanged(row, field);
}

} // namespace wendax
