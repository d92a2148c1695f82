#pragma once
#include "dataset.h"
#include "field_rules.h"

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace wendax {

enum class ControlKind { Edit, CheckBox, ComboBox };

/// One named control that carries a value. Widgets bind to it; the CLI and
/// the tests drive it as a user would.
struct Control {
    std::string name;
    ControlKind kind = ControlKind::Edit;
    std::string text;                ///< edit text; a combo box's shown text
    bool checked = false;            ///< check boxes
    int itemIndex = -1;              ///< combo boxes: -1 when no item is selected
    std::vector<std::string> items;  ///< combo boxes
    bool enabled = true;
    bool visible = true;
    std::size_t maxLength = 0;       ///< edits: 0 means no limit on typing
    bool password = false;           ///< edits shown masked
    ChangeRule changeRule = ChangeRule::None;
    ExitRule exitRule = ExitRule::None;
};

/// The headless state of a device window: its value-carrying controls in
/// creation order, its tables, and the list handlers of its model. One
/// instance per open window; used on the GUI thread only.
class FormState {
public:
    using ListHandler = std::function<void(FormState&)>;

    Control& addEdit(std::string name, std::string text, std::size_t maxLength = 0,
                     ChangeRule change = ChangeRule::None, ExitRule exit = ExitRule::None);
    Control& addCheckBox(std::string name, bool checked = false);
    Control& addComboBox(std::string name, std::vector<std::string> items, int itemIndex, std::string shownText = {});
    Dataset& addDataset(Dataset dataset);

    /// nullptr when the form has no such control or table.
    Control* find(std::string_view name);
    const Control* find(std::string_view name) const;
    Dataset* findDataset(std::string_view name);
    const Dataset* findDataset(std::string_view name) const;

    /// The control by name; throws std::out_of_range for a name the form lacks
    /// (a programming error in a model's table, caught by its tests).
    Control& at(std::string_view name);
    const Control& at(std::string_view name) const;
    Dataset& dataset(std::string_view name);
    const Dataset& dataset(std::string_view name) const;

    const std::deque<Control>& controls() const { return m_controls; }
    const std::deque<Dataset>& datasets() const { return m_datasets; }

    // --- what a user does -------------------------------------------------
    /// Typing a whole new text: cut to the maximum length, then the change rule.
    void type(std::string_view name, std::string_view text);
    /// Leaving the field: its exit rule.
    void leave(std::string_view name);
    /// Picking an item (or -1 for none) and the list's handler running.
    void choose(std::string_view name, int itemIndex);

    // --- what the program does --------------------------------------------
    /// Assigns an edit's text; the change rule runs as on any change, the
    /// maximum length does not apply.
    void setText(std::string_view name, std::string_view text);
    void setChecked(std::string_view name, bool checked);
    void setEnabled(std::string_view name, bool enabled);
    /// Selects an item without running the list's handler; an index that
    /// names no item leaves the list without a selection and its text empty.
    void select(std::string_view name, int itemIndex);

    void setListHandler(std::string_view name, ListHandler handler);
    void runListHandler(std::string_view name);

    /// Called after any control's value or enabled state changed.
    std::function<void(const Control&)> onControlChanged;

private:
    Control& add(Control control);
    void changed(const Control& control);

    std::deque<Control> m_controls; // deque: references stay valid as controls are added
    std::deque<Dataset> m_datasets;
    std::map<std::string, ListHandler, std::less<>> m_listHandlers;
};

} // namespace wendax
