#include "form_json.h"

#include "devices/common/code_cell.h"

namespace wendax::cli {
namespace {

Json controlValue(const Control& control)
{
    switch (control.kind) {
    case ControlKind::Edit: return utf8FromSingleByte(control.text);
    case ControlKind::CheckBox: return control.checked;
    case ControlKind::ComboBox:
        if (control.itemIndex < 0)
            return nullptr;
        return utf8FromSingleByte(control.items[static_cast<std::size_t>(control.itemIndex)]);
    }
    return nullptr;
}

Json cellValue(const CellValue& value)
{
    if (const auto* number = std::get_if<long long>(&value))
        return *number;
    if (const auto* flag = std::get_if<bool>(&value))
        return *flag;
    return utf8FromSingleByte(std::get<std::string>(value));
}

std::string inQuotes(std::string_view name)
{
    return "\"" + std::string(name) + "\"";
}

std::optional<std::string> textOf(const Json& value, const std::string& what, std::string& text)
{
    if (!value.is_string())
        return what + " takes a text";
    auto converted = singleByteFromUtf8(value.get_ref<const std::string&>());
    if (!converted)
        return what + " holds a character the device cannot store";
    text = std::move(*converted);
    return std::nullopt;
}

std::optional<std::string> applyControl(FormState& form, Control& control, const Json& value)
{
    const std::string what = inQuotes(control.name);
    switch (control.kind) {
    case ControlKind::CheckBox:
        if (!value.is_boolean())
            return what + " is a check box and takes true or false";
        form.setChecked(control.name, value.get<bool>());
        return std::nullopt;
    case ControlKind::Edit: {
        std::string text;
        if (auto error = textOf(value, what, text))
            return error;
        form.type(control.name, text);
        form.leave(control.name);
        return std::nullopt;
    }
    case ControlKind::ComboBox: {
        if (value.is_null()) {
            form.choose(control.name, -1);
            return std::nullopt;
        }
        std::string text;
        if (auto error = textOf(value, what, text))
            return error;
        for (std::size_t i = 0; i < control.items.size(); ++i) {
            if (control.items[i] == text) {
                form.choose(control.name, static_cast<int>(i));
                return std::nullopt;
            }
        }
        std::string items;
        for (const auto& item : control.items)
            items += (items.empty() ? "" : ", ") + inQuotes(utf8FromSingleByte(item));
        return what + " has no item " + inQuotes(value.get<std::string>()) + " (items: " + items + ", or null)";
    }
    }
    return std::nullopt;
}

std::optional<CellValue> cellFromJson(const DatasetField& field, const Json& value)
{
    switch (field.type) {
    case FieldType::Integer:
        if (value.is_number_integer())
            return CellValue(value.get<long long>());
        return std::nullopt;
    case FieldType::Boolean:
        if (value.is_boolean())
            return CellValue(value.get<bool>());
        return std::nullopt;
    case FieldType::Text:
        if (!value.is_string())
            return std::nullopt;
        if (auto text = singleByteFromUtf8(value.get_ref<const std::string&>()))
            return CellValue(field.codeLength != 0 ? typeIntoCodeCell(*text, field.codeLength) : *text);
        return std::nullopt;
    }
    return std::nullopt;
}

const char* typeName(FieldType type)
{
    switch (type) {
    case FieldType::Integer: return "a whole number";
    case FieldType::Boolean: return "true or false";
    case FieldType::Text: return "a text";
    }
    return "";
}

std::optional<std::string> applyCell(Dataset& table, std::size_t row, const std::string& fieldName, const Json& value)
{
    const std::string where = table.name() + " row " + std::to_string(row + 1) + " field " + inQuotes(fieldName);
    const auto field = table.fieldIndex(fieldName);
    if (!field)
        return table.name() + " has no field " + inQuotes(fieldName);
    const DatasetField& def = table.fields()[*field];
    const auto cell = cellFromJson(def, value);
    if (!cell)
        return where + " takes " + typeName(def.type);
    if (def.readOnly) {
        // Read-only cells are listed by decode; they may be given back unchanged.
        if (*cell != table.cell(row, *field))
            return where + " is read-only";
        return std::nullopt;
    }
    table.edit(row, *field, *cell);
    return std::nullopt;
}

std::optional<std::string> applyTable(Dataset& table, const Json& rows)
{
    if (!rows.is_array())
        return table.name() + " takes a list of rows";
    if (rows.size() > table.rowCount())
        return table.name() + " has " + std::to_string(table.rowCount()) + " rows; the settings give " +
               std::to_string(rows.size());
    for (std::size_t row = 0; row < rows.size(); ++row) {
        if (!rows[row].is_object())
            return table.name() + " row " + std::to_string(row + 1) + " is not an object";
        for (const auto& [fieldName, value] : rows[row].items()) {
            if (auto error = applyCell(table, row, fieldName, value))
                return error;
        }
    }
    return std::nullopt;
}

} // namespace

Json formToJson(std::string_view modelName, const FormState& form)
{
    Json settings = Json::object();
    for (const Control& control : form.controls())
        settings[control.name] = controlValue(control);
    Json tables = Json::object();
    for (const Dataset& table : form.datasets()) {
        Json rows = Json::array();
        for (std::size_t row = 0; row < table.rowCount(); ++row) {
            Json cells = Json::object();
            for (std::size_t field = 0; field < table.fields().size(); ++field)
                cells[table.fields()[field].name] = cellValue(table.cell(row, field));
            rows.push_back(std::move(cells));
        }
        tables[table.name()] = std::move(rows);
    }
    return Json{{"model", std::string(modelName)}, {"settings", std::move(settings)}, {"tables", std::move(tables)}};
}

std::optional<std::string> applyJson(const Json& document, std::string_view modelName, FormState& form)
{
    if (!document.is_object())
        return "the settings are not a JSON object";
    if (const auto model = document.find("model"); model != document.end()) {
        if (!model->is_string() || model->get<std::string>() != modelName)
            return "the settings are for model " + model->dump() + ", not " + std::string(modelName);
    }
    for (const auto& [key, value] : document.items()) {
        if (key != "model" && key != "settings" && key != "tables")
            return "unknown entry " + inQuotes(key) + " (expected \"model\", \"settings\", \"tables\")";
    }
    if (const auto settings = document.find("settings"); settings != document.end()) {
        if (!settings->is_object())
            return "\"settings\" is not an object";
        for (const auto& [name, value] : settings->items()) {
            Control* control = form.find(name);
            if (control == nullptr)
                return "the " + std::string(modelName) + " window has no control " + inQuotes(name);
            if (auto error = applyControl(form, *control, value))
                return error;
        }
    }
    if (const auto tables = document.find("tables"); tables != document.end()) {
        if (!tables->is_object())
            return "\"tables\" is not an object";
        for (const auto& [name, rows] : tables->items()) {
            Dataset* table = form.findDataset(name);
            if (table == nullptr)
                return "the " + std::string(modelName) + " window has no table " + inQuotes(name);
            if (auto error = applyTable(*table, rows))
                return error;
        }
    }
    return std::nullopt;
}

std::string utf8FromSingleByte(std::string_view bytes)
{
    std::string utf8;
    utf8.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            utf8.push_back(c);
        } else {
            utf8.push_back(static_cast<char>(0xC0 | (b >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (b & 0x3F)));
        }
    }
    return utf8;
}

std::optional<std::string> singleByteFromUtf8(std::string_view utf8)
{
    std::string bytes;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            bytes.push_back(static_cast<char>(lead));
            continue;
        }
        // Only two-byte sequences of U+0080..U+00FF map onto one byte.
        if ((lead != 0xC2 && lead != 0xC3) || i + 1 >= utf8.size())
            return std::nullopt;
        const auto next = static_cast<unsigned char>(utf8[++i]);
        if ((next & 0xC0) != 0x80)
            return std::nullopt;
        bytes.push_back(static_cast<char>(((lead & 0x1F) << 6) | (next & 0x3F)));
    }
    return bytes;
}

} // namespace wendax::cli
