#include "grid_cells.h"

#include "dataset_model.h"

#include "devices/common/code_cell.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QTableView>

namespace wendax::gui {

CodeKeyFilter::CodeKeyFilter(QTableView& grid, DatasetModel& model)
    : QObject(&grid)
    , m_grid(grid)
    , m_model(model)
{
    grid.installEventFilter(this);
}

bool CodeKeyFilter::refuses(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (key->key() == Qt::Key_Backspace)
        return true;
    const QString text = key->text();
    if (text.isEmpty() || !text.at(0).isPrint())
        return false;
    return text.size() != 1 || text.at(0).unicode() > 0x7F || !acceptsCodeKey(text.at(0).toLatin1());
}

bool CodeKeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    // Key presses first: the grid also sends events while it is being
    // destroyed, when it is no longer an item view to ask for its column.
    if (watched == &m_grid && refuses(event) && m_model.isCodeColumn(m_grid.currentIndex().column()))
        return true;
    return QObject::eventFilter(watched, event);
}

namespace {

class CodeEditorFilter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        return CodeKeyFilter::refuses(event) || QObject::eventFilter(watched, event);
    }
};

} // namespace

QWidget* CodeCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const
{
    auto* editor = qobject_cast<QLineEdit*>(QStyledItemDelegate::createEditor(parent, option, index));
    if (editor == nullptr)
        return nullptr;
    if (const auto* model = qobject_cast<const DatasetModel*>(index.model()))
        editor->setMaxLength(static_cast<int>(model->fieldOf(index.column()).codeLength));
    editor->installEventFilter(new CodeEditorFilter(editor));
    return editor;
}

void BooleanCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.features &= ~QStyleOptionViewItem::HasCheckIndicator;
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);

    QStyleOptionButton box;
    const QRect cell = option.rect.adjusted(1, 1, -1, -1);
    const QSize glyph(style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, widget),
                      style->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, widget));
    box.rect = QRect(cell.center() - QPoint(glyph.width() / 2, glyph.height() / 2), glyph).intersected(cell);
    box.state = QStyle::State_Enabled;
    box.state |= index.data(Qt::CheckStateRole).toInt() == Qt::Checked ? QStyle::State_On : QStyle::State_Off;
    style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, widget);
}

BooleanCellOverlay::BooleanCellOverlay(QTableView& grid, DatasetModel& model)
    : QObject(&grid)
    , m_grid(grid)
    , m_model(model)
{
    connect(&grid, &QTableView::clicked, this, &BooleanCellOverlay::cellClicked);
    connect(grid.selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { currentChanged(current); });
    connect(&model, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex& from, const QModelIndex& to) {
        for (int column = from.column(); column <= to.column(); ++column)
            refresh(column);
    });
    // The check box lies over one cell; scrolling would leave it over another.
    connect(grid.horizontalScrollBar(), &QScrollBar::valueChanged, this, &BooleanCellOverlay::hideAll);
    connect(grid.verticalScrollBar(), &QScrollBar::valueChanged, this, &BooleanCellOverlay::hideAll);
    grid.installEventFilter(this);
}

void BooleanCellOverlay::attach(const QString& field, QCheckBox* checkBox, Captions captions)
{
    for (int column = 0; column < m_model.columnCount(); ++column) {
        if (QString::fromStdString(m_model.fieldOf(column).name) != field)
            continue;
        checkBox->setParent(m_grid.viewport());
        checkBox->setText({});
        checkBox->setAutoFillBackground(true);
        checkBox->hide();
        connect(checkBox, &QCheckBox::clicked, this, [this, column] { checkBoxClicked(column); });
        m_columns[column] = Column{checkBox, std::move(captions)};
    }
}

void BooleanCellOverlay::cellClicked(const QModelIndex& index)
{
    const auto found = m_columns.find(index.column());
    if (found == m_columns.end())
        return;
    QCheckBox* box = found->second.checkBox;
    box->setGeometry(m_grid.visualRect(index));
    refresh(index.column());
    box->show();
    box->raise();
}

void BooleanCellOverlay::currentChanged(const QModelIndex& current)
{
    for (auto& [column, entry] : m_columns) {
        if (column != current.column())
            entry.checkBox->hide();
        else if (entry.checkBox->isVisible())
            cellClicked(current); // another row of the same column
    }
}

void BooleanCellOverlay::checkBoxClicked(int column)
{
    const QModelIndex current = m_grid.currentIndex();
    if (current.isValid() && current.column() == column)
        m_model.toggle(current);
    refresh(column);
}

void BooleanCellOverlay::refresh(int column)
{
    const auto found = m_columns.find(column);
    const QModelIndex current = m_grid.currentIndex();
    if (found == m_columns.end() || !current.isValid() || current.column() != column)
        return;
    const bool on = m_model.index(current.row(), column).data(Qt::CheckStateRole).toInt() == Qt::Checked;
    found->second.checkBox->setChecked(on);
    found->second.checkBox->setText(on ? found->second.captions.enabled : found->second.captions.disabled);
}

void BooleanCellOverlay::hideAll()
{
    for (auto& [column, entry] : m_columns)
        entry.checkBox->hide();
}

bool BooleanCellOverlay::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_grid && event->type() == QEvent::KeyPress) {
        const auto found = m_columns.find(m_grid.currentIndex().column());
        const auto* key = static_cast<QKeyEvent*>(event);
        if (found != m_columns.end() && !key->text().isEmpty()) {
            cellClicked(m_grid.currentIndex());
            found->second.checkBox->setFocus();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace wendax::gui
