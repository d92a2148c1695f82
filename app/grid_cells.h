#pragma once
#include <QObject>
#include <QPointer>
#include <QStyledItemDelegate>

#include <map>

class QCheckBox;
class QTableView;

namespace wendax::gui {

class DatasetModel;

/// The code-cell key filter of a grid: while a code column is selected (and
/// in its editor), only "0"-"9" and "A"-"F" get through; every other
/// character, lower-case letters and Backspace included, is dropped. Keys
/// without a character (Delete, arrows) pass.
class CodeKeyFilter final : public QObject {
    Q_OBJECT
public:
    CodeKeyFilter(QTableView& grid, DatasetModel& model);
    /// True when the key event carries a character a code cell refuses.
    static bool refuses(const QEvent* event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTableView& m_grid;
    DatasetModel& m_model;
};

/// Code cells: an editor of the code length with the key filter; storing the
/// edited text applies the set-text rule (through the dataset).
class CodeCellDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

/// Boolean cells drawn as a check-box glyph in the cell shrunk by one pixel.
class BooleanCellDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

/// N5-style Boolean cells: each Boolean column has its own check box, hidden
/// until a cell of the column is clicked; then it lies over that cell,
/// captioned after the value ("Alarm Enable" / "Alarm Disable"), and each
/// click on it toggles the value of the current row once. A key press in the
/// grid on that column moves the focus to it; leaving the column hides it.
class BooleanCellOverlay final : public QObject {
    Q_OBJECT
public:
    BooleanCellOverlay(QTableView& grid, DatasetModel& model);

    struct Captions {
        QString enabled;
        QString disabled;
    };
    /// `checkBox` is the window's component for the column of `field`.
    void attach(const QString& field, QCheckBox* checkBox, Captions captions);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Column {
        QCheckBox* checkBox;
        Captions captions;
    };
    void cellClicked(const QModelIndex& index);
    void currentChanged(const QModelIndex& current);
    void checkBoxClicked(int column);
    void refresh(int column);
    void hideAll();

    QTableView& m_grid;
    DatasetModel& m_model;
    std::map<int, Column> m_columns; // by grid column
};

} // namespace wendax::gui
