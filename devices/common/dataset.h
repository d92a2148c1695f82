#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace wendax {

enum class FieldType { Integer, Text, Boolean };

/// One column of a device table. `codeLength` is non-zero for code cells.
struct DatasetField {
    std::string name;
    FieldType type = FieldType::Text;
    std::size_t size = 0; ///< text fields: at most this many characters
    bool readOnly = false;
    std::size_t codeLength = 0;
};

using CellValue = std::variant<long long, std::string, bool>;

/// A device window's in-memory table: fixed fields, rows created with the
/// window and never inserted or deleted afterwards.
class Dataset {
public:
    Dataset(std::string name, std::vector<DatasetField> fields);

    const std::string& name() const { return m_name; }
    const std::vector<DatasetField>& fields() const { return m_fields; }
    std::optional<std::size_t> fieldIndex(std::string_view field) const;
    std::size_t rowCount() const { return m_rows.size(); }

    /// Creation only: appends one row, one value per field in field order.
    void appendRow(std::vector<CellValue> values);

    const CellValue& cell(std::size_t row, std::size_t field) const;
    bool boolean(std::size_t row, std::size_t field) const;
    std::string text(std::size_t row, std::size_t field) const;

    /// A program's assignment (decoding): texts are cut to the field size,
    /// code cells bypass the set-text rule.
    void assign(std::size_t row, std::size_t field, CellValue value);

    /// A user's edit of a cell: refused (false) on read-only fields and on a
    /// value of the wrong type; code cells pass the set-text rule.
    bool edit(std::size_t row, std::size_t field, CellValue value);

    /// A click on a Boolean cell: the value flips once.
    void toggle(std::size_t row, std::size_t field);

    /// Called after any cell changed, with its row and field.
    std::function<void(std::size_t row, std::size_t field)> onCellChanged;

private:
    CellValue fitted(std::size_t field, CellValue value) const;
    void store(std::size_t row, std::size_t field, CellValue value);

    std::string m_name;
    std::vector<DatasetField> m_fields;
    std::vector<std::vector<CellValue>> m_rows;
};

} // namespace wendax
