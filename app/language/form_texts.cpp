#include "form_texts.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVariant>

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

Q_LOGGING_CATEGORY(lcLanguage, "wendax.app.language", QtInfoMsg)

namespace wendax {
namespace {

enum class Walk { Caption, Text, Grid, Tree, Never };

struct ClassRule {
    std::string_view vclClass;
    Walk walk;
};

// The published "Caption" or "Text" of each class: none of these classes
// publishes both, so the walk over the two in declared order is the one
// property listed. A class not listed publishes neither (TPageControl, TMemo,
// TRichEdit, TStatusBar, TDBEdit, TListBox, TProgressBar, ...) and has no key.
constexpr std::array kClassRules = {
    ClassRule{"TToolBar", Walk::Never},      ClassRule{"TToolButton", Walk::Never},
    ClassRule{"TAction", Walk::Never},

    ClassRule{"TLabel", Walk::Caption},      ClassRule{"TStaticText", Walk::Caption},
    ClassRule{"TButton", Walk::Caption},     ClassRule{"TBitBtn", Walk::Caption},
    ClassRule{"TSpeedButton", Walk::Caption}, ClassRule{"TCheckBox", Walk::Caption},
    ClassRule{"TRadioButton", Walk::Caption}, ClassRule{"TDBCheckBox", Walk::Caption},
    ClassRule{"TGroupBox", Walk::Caption},   ClassRule{"TRadioGroup", Walk::Caption},
    ClassRule{"TPanel", Walk::Caption},      ClassRule{"TTabSheet", Walk::Caption},
    ClassRule{"TMenuItem", Walk::Caption},

    ClassRule{"TEdit", Walk::Text},          ClassRule{"TMaskEdit", Walk::Text},
    ClassRule{"TLabeledEdit", Walk::Text},   ClassRule{"TComboBox", Walk::Text},

    ClassRule{"TDBGrid", Walk::Grid},        ClassRule{"TTreeView", Walk::Tree},
};

std::optional<Walk> walkFor(const QString& vclClass)
{
    const auto rule = std::find_if(kClassRules.begin(), kClassRules.end(), [&](const ClassRule& r) {
        return vclClass == QLatin1StringView(r.vclClass.data(), static_cast<qsizetype>(r.vclClass.size()));
    });
    if (rule == kClassRules.end()) {
        qCDebug(lcLanguage) << "no caption or text published by" << vclClass;
        return std::nullopt;
    }
    return rule->walk;
}

QString vclClassOf(const QObject& o)
{
    return o.property("vclClass").toString();
}

bool isOtherWindow(const QObject& o)
{
    const auto* w = qobject_cast<const QWidget*>(&o);
    if (!w)
        return false;
    return qobject_cast<const QMdiSubWindow*>(w) || (w->isWindow() && !qobject_cast<const QMenu*>(w));
}

void collectComponents(QObject& parent, std::vector<QObject*>& out)
{
    for (QObject* child : parent.children()) {
        if (isOtherWindow(*child))
            continue;
        if (child->property("vclClass").isValid())
            out.push_back(child);
        collectComponents(*child, out);
    }
}

// QLabel, QAbstractButton, QLineEdit and QAction all declare it.
bool hasTextProperty(const QObject& o)
{
    return o.metaObject()->indexOfProperty("text") >= 0;
}

// QTabWidget keeps its pages in a QStackedWidget of its own.
QTabWidget* tabWidgetOf(QObject& o)
{
    auto* page = qobject_cast<QWidget*>(&o);
    auto* stack = page ? qobject_cast<QStackedWidget*>(page->parentWidget()) : nullptr;
    auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
    return tabs && tabs->indexOf(page) >= 0 ? tabs : nullptr;
}

std::optional<QString> readCaptionOrText(QObject& o)
{
    if (QTabWidget* tabs = tabWidgetOf(o))
        return tabs->tabText(tabs->indexOf(qobject_cast<QWidget*>(&o)));
    if (auto* box = qobject_cast<QGroupBox*>(&o))
        return box->title();
    if (auto* combo = qobject_cast<QComboBox*>(&o))
        return combo->currentText();
    if (auto* menu = qobject_cast<QMenu*>(&o))
        return menu->title();
    if (hasTextProperty(o))
        return o.property("text").toString();
    qCWarning(lcLanguage) << "no caption or text on" << o.objectName() << o.metaObject()->className();
    return std::nullopt;
}

bool writeCaptionOrText(QObject& o, const QString& text)
{
    if (QTabWidget* tabs = tabWidgetOf(o)) {
        tabs->setTabText(tabs->indexOf(qobject_cast<QWidget*>(&o)), text);
        return true;
    }
    if (auto* box = qobject_cast<QGroupBox*>(&o)) {
        box->setTitle(text);
        return true;
    }
    if (auto* combo = qobject_cast<QComboBox*>(&o)) {
        // A drop-down list only shows its own items: a text it lacks leaves
        // the choice as it was rather than clearing it.
        combo->setCurrentText(text);
        return combo->currentText() == text;
    }
    if (auto* menu = qobject_cast<QMenu*>(&o)) {
        menu->setTitle(text);
        return true;
    }
    return hasTextProperty(o) && o.setProperty("text", text);
}

void treeNodes(QTreeWidgetItem& item, std::vector<QTreeWidgetItem*>& out)
{
    out.push_back(&item);
    for (int i = 0; i < item.childCount(); ++i)
        treeNodes(*item.child(i), out);
}

std::vector<QTreeWidgetItem*> treeNodes(QTreeWidget& tree)
{
    std::vector<QTreeWidgetItem*> nodes;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        treeNodes(*tree.topLevelItem(i), nodes);
    return nodes;
}

void addPropertySlot(QObject& o, const QString& vclClass, TextKind kind, std::vector<TextSlot>& out)
{
    const auto text = readCaptionOrText(o);
    if (!text || text->isEmpty())
        return;
    const QLatin1StringView property = kind == TextKind::Caption ? QLatin1StringView("Caption") : QLatin1StringView("Text");
    out.push_back({&o, kind, -1, nullptr, QStringLiteral("%1(%2.%3)").arg(vclClass, o.objectName(), property), *text});
}

void addGridSlots(QObject& o, std::vector<TextSlot>& out)
{
    auto* view = qobject_cast<QAbstractItemView*>(&o);
    const QAbstractItemModel* model = view ? view->model() : nullptr;
    if (!model) {
        qCWarning(lcLanguage) << "TDBGrid without a model:" << o.objectName();
        return;
    }
    for (int column = 0; column < model->columnCount(); ++column) {
        const QString title = model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        if (!title.isEmpty())
            out.push_back({&o, TextKind::GridTitle, column, nullptr,
                           QStringLiteral("TDBGrid(%1.Title[%2].Caption)").arg(o.objectName()).arg(column), title});
    }
}

void addTreeSlots(QObject& o, std::vector<TextSlot>& out)
{
    auto* tree = qobject_cast<QTreeWidget*>(&o);
    if (!tree) {
        qCWarning(lcLanguage) << "TTreeView that is not a QTreeWidget:" << o.objectName();
        return;
    }
    const auto nodes = treeNodes(*tree);
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const QString text = nodes[i]->text(0);
        if (!text.isEmpty())
            out.push_back({&o, TextKind::TreeNode, static_cast<int>(i), nodes[i],
                           QStringLiteral("TTreeView(%1.Item[%2])").arg(o.objectName()).arg(i), text});
    }
}

} // namespace

std::vector<QObject*> formComponents(QWidget& window)
{
    std::vector<QObject*> components;
    collectComponents(window, components);
    return components;
}

std::vector<TextSlot> componentTexts(QObject& component)
{
    std::vector<TextSlot> texts;
    const QString vclClass = vclClassOf(component);
    switch (walkFor(vclClass).value_or(Walk::Never)) {
    case Walk::Caption: addPropertySlot(component, vclClass, TextKind::Caption, texts); break;
    case Walk::Text: addPropertySlot(component, vclClass, TextKind::Text, texts); break;
    case Walk::Grid: addGridSlots(component, texts); break;
    case Walk::Tree: addTreeSlots(component, texts); break;
    case Walk::Never: break;
    }
    return texts;
}

bool setSlotText(const TextSlot& slot, const QString& text)
{
    switch (slot.kind) {
    case TextKind::Caption:
    case TextKind::Text:
        return writeCaptionOrText(*slot.component, text);
    case TextKind::GridTitle: {
        auto* view = qobject_cast<QAbstractItemView*>(slot.component);
        QAbstractItemModel* model = view ? view->model() : nullptr;
        return model && model->setHeaderData(slot.index, Qt::Horizontal, text, Qt::EditRole);
    }
    case TextKind::TreeNode:
        slot.node->setText(0, text);
        return true;
    }
    return false;
}

} // namespace wendax
