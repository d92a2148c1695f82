#include "form_state.h"

#include <algorithm>
#include <stdexcept>

namespace wendax {

Control& FormState::add(Control control)
{
    if (find(control.name) != nullptr)
        throw std::logic_error("duplicate control " + control.name);
    return m_controls.emplace_back(std::move(control));
}

Control& FormState::addEdit(std::string name, std::string text, std::size_t maxLength, ChangeRule change, ExitRule exit)
{
    Control control;
    control.name = std::move(name);
    control.kind = ControlKind::Edit;
    control.text = std::move(text);
    control.maxLength = maxLength;
    control.changeRule = change;
    control.exitRule = exit;
    return add(std::move(control));
}

Control& FormState::addCheckBox(std::string name, bool checked)
{
    Control control;
    control.name = std::move(name);
    control.kind = ControlKind::CheckBox;
    control.checked = checked;
    return add(std::move(control));
}

Control& FormState::addComboBox(std::string name, std::vector<std::string> items, int itemIndex, std::string shownText)
{
    Control control;
    control.name = std::move(name);
    control.kind = ControlKind::ComboBox;
    control.items = std::move(items);
    control.itemIndex = itemIndex;
    control.text = itemIndex >= 0 ? control.items.at(static_cast<std::size_t>(itemIndex)) : std::move(shownText);
    return add(std::move(control));
}

Dataset& FormState::addDataset(Dataset dataset)
{
    return m_datasets.emplace_back(std::move(dataset));
}

Control* FormState::find(std::string_view name)
{
    const auto found = std::find_if(m_controls.begin(), m_controls.end(), [&](const Control& c) { return c.name == name; });
    return found == m_controls.end() ? nullptr : &*found;
}

const Control* FormState::find(std::string_view name) const
{
    return const_cast<FormState*>(this)->find(name);
}

Dataset* FormState::findDataset(std::string_view name)
{
    const auto found = std::find_if(m_datasets.begin(), m_datasets.end(), [&](const Dataset& d) { return d.name() == name; });
    return found == m_datasets.end() ? nullptr : &*found;
}

const Dataset* FormState::findDataset(std::string_view name) const
{
    return const_cast<FormState*>(this)->findDataset(name);
}

Control& FormState::at(std::string_view name)
{
    if (Control* control = find(name))
        return *control;
    throw std::out_of_range("no control " + std::string(name));
}

const Control& FormState::at(std::string_view name) const
{
    return const_cast<FormState*>(this)->at(name);
}

Dataset& FormState::dataset(std::string_view name)
{
    if (Dataset* dataset = findDataset(name))
        return *dataset;
    throw std::out_of_range("no table " + std::string(name));
}

const Dataset& FormState::dataset(std::string_view name) const
{
    return const_cast<FormState*>(this)->dataset(name);
}

void FormState::type(std::string_view name, std::string_view text)
{
    const Control& control = at(name);
    if (control.maxLength != 0 && text.size() > control.maxLength)
        text = text.substr(0, control.maxLength);
    setText(name, text);
}

void FormState::leave(std::string_view name)
{
    Control& control = at(name);
    const std::string rewritten = applyExitRule(control.exitRule, control.text);
    if (rewritten != control.text)
        setText(name, rewritten);
}

void FormState::choose(std::string_view name, int itemIndex)
{
    select(name, itemIndex);
    runListHandler(name);
}

void FormState::setText(std::string_view name, std::string_view text)
{
    Control& control = at(name);
    std::string filtered = applyChangeRule(control.changeRule, text);
    if (filtered == control.text)
        return;
    control.text = std::move(filtered);
    changed(control);
}

void FormState::setChecked(std::string_view name, bool checked)
{
    Control& control = at(name);
    if (control.checked == checked)
        return;
    control.checked = checked;
    changed(control);
}

void FormState::setEnabled(std::string_view name, bool enabled)
{
    Control& control = at(name);
    if (control.enabled == enabled)
        return;
    control.enabled = enabled;
    changed(control);
}

void FormState::select(std::string_view name, int itemIndex)
{
    Control& control = at(name);
    const bool names = itemIndex >= 0 && static_cast<std::size_t>(itemIndex) < control.items.size();
    control.itemIndex = names ? itemIndex : -1;
    control.text = names ? control.items[static_cast<std::size_t>(itemIndex)] : std::string();
    changed(control);
}

void FormState::setListHandler(std::string_view name, ListHandler handler)
{
    m_listHandlers.insert_or_assign(std::string(name), std::move(handler));
}

void FormState::runListHandler(std::string_view name)
{
    const auto found = m_listHandlers.find(name);
    if (found != m_listHandlers.end())
        found->second(*this);
}

void FormState::changed(const Control& control)
{
    if (onControlChanged)
        onControlChanged(control);
}

} // namespace wendax
