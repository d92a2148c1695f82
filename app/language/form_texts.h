#pragma once
#include <QLoggingCategory>
#include <QString>

#include <vector>

class QObject;
class QTreeWidgetItem;
class QWidget;

Q_DECLARE_LOGGING_CATEGORY(lcLanguage)

/// Which texts of a window the language module reads and replaces, and the
/// translation key of each.
///
/// What a window must carry (every window is built this way):
/// - the window's objectName is its component name ("MainForm", "N5_cfg");
///   its caption is windowTitle();
/// - every component has objectName = its component name and the dynamic
///   property `vclClass` = its class name ("TLabel", "TDBGrid", ...);
/// - a data grid ("TDBGrid") is a QAbstractItemView (a QTableView) whose
///   model gives the column titles as headerData(column, Qt::Horizontal,
///   Qt::DisplayRole) and takes a new title through setHeaderData(column,
///   Qt::Horizontal, title, Qt::EditRole), returning true; columns are the
///   model's columns, hidden ones included;
/// - a tree view ("TTreeView") is a QTreeWidget; its nodes count in
///   pre-order and their text is column 0;
/// - a tab sheet ("TTabSheet") is a page of a QTabWidget; its caption is the
///   tab's text;
/// - a menu item ("TMenuItem") is a QAction (text) or a QMenu (title).
/// Other captions and texts map to the Qt widget's own: QGroupBox::title,
/// QComboBox::currentText, QLabel, QAbstractButton and QLineEdit::text, or a
/// "text" property.
///
/// Component order is the pre-order walk of the window's QObject children,
/// which is the order findChildren() returns. The walk does not enter another
/// window: a QMdiSubWindow (a device window inside the frame) or a top-level
/// widget other than a menu.
namespace wendax {

enum class TextKind { Caption, Text, GridTitle, TreeNode };

/// One translatable text of a component, as the window shows it now.
struct TextSlot {
    QObject* component = nullptr;
    TextKind kind = TextKind::Caption;
    int index = -1;                  ///< grid column or tree node (flat, pre-order)
    QTreeWidgetItem* node = nullptr; ///< TreeNode only
    QString key;                     ///< e.g. "TLabel(Label2.Caption)"
    QString text;
};

/// The components `window` owns that carry a `vclClass`, in component order.
std::vector<QObject*> formComponents(QWidget& window);

/// The component's translatable texts with their keys, in the order its class
/// publishes them. A Caption or Text that is empty ends the component; empty
/// grid titles and tree nodes are left out. Tool bars, tool buttons and
/// actions have none.
std::vector<TextSlot> componentTexts(QObject& component);

/// Shows `text` in the slot's place. False when the widget does not take it
/// (a grid model without setHeaderData, a drop-down list without that item).
bool setSlotText(const TextSlot& slot, const QString& text);

} // namespace wendax
