#pragma once
#include "dataset_model.h"
#include "grid_cells.h"

#include "devices/common/device_form.h"
#include "link/config_transfer.h"
#include "link/firmware/firmware_session.h"
#include "link/image_codec.h"

#include <QHash>
#include <QWidget>

#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QStackedWidget;
class QTabWidget;
class QTableView;
class QTreeWidget;
class QTreeWidgetItem;
class QVBoxLayout;

namespace wendax::gui {

class FrameServices;

/// Marks a widget with the component name and class name the language module
/// keys its texts by ("Edit6", "TEdit").
void setComponent(QObject* object, const QString& name, const char* vclClass);

/// The widget half of every device window: the configuration tab with its
/// page tree and pages (for a model with a ConfigImage), the hidden
/// "Firmware" tab, widgets bound two ways to the window's DeviceForm, and the
/// window's configuration transfer and firmware update on the frame's link
/// (its ResponseTimeout included). A model's window adds its pages and
/// controls with the helpers below, in the order its components are listed,
/// then calls finishCreation().
class DeviceWindow : public QWidget {
    Q_OBJECT
public:
    ~DeviceWindow() override;

    const ModelDefinition& definition() const { return m_form.definition(); }
    /// The window's class name, by which the frame routes commands ("TN5_cfg").
    QString className() const;
    DeviceForm& deviceForm() { return m_form; }
    bool isClosed() const { return m_form.closed(); }

    /// LoadImage from the frame's shared file buffer.
    LoadResult LoadImage(const ConfigFileBuffer& files) { return m_form.loadImage(files); }
    /// SaveImage into the frame's shared file buffer; the conversion message on failure.
    std::optional<std::string> SaveImage(ConfigFileBuffer& files) { return m_form.saveImage(files); }

    /// Loads the model's default configuration, then runs the model's own
    /// initialiser. The frame calls it after the window's language file was
    /// applied, so that a translated text never overwrites a loaded setting.
    void initialise();

    /// The window's side of Read Device and Write Device; nullptr when the
    /// frame has no link.
    ConfigTransfer* configTransfer() const { return m_transfer.get(); }
    /// The window's firmware update; nullptr when the frame has no link.
    FirmwareSession* firmwareSession() const { return m_firmware.get(); }

    /// StartFirmwareUpdate: asks for a firmware file in "FirmwareUpdates" and
    /// arms it; a file that cannot be used, or an Update while a
    /// configuration worker runs, is refused with its box. Switching to the
    /// "Firmware" tab and back follows the session's started() and ended().
    void StartFirmwareUpdate();

    QTabWidget* pageControl() const { return m_pageControl; }
    QTreeWidget* treeView() const { return m_tree; }
    /// The page a tree node's index names, or nullptr.
    QGroupBox* page(int index) const { return m_pages.value(index); }
    /// TreeView1Click: shows the page of the selected node, if it names one.
    void TreeView1Click();
    /// Selects the tree node of page `index` and shows the page, as a click
    /// on that node would; false when no node names it.
    bool showPageOf(int index);
    QProgressBar* firmwareProgress() const { return m_firmwareProgress; }
    QWidget* firmwareSheet() const { return m_firmwareSheet; }

signals:
    /// The window was closed; its closed flag is set.
    void closed();
    /// A firmware file was armed (true) or its transfer ended (false). The
    /// configuration page is hidden in between.
    void firmwareModeChanged(bool armed);

protected:
    DeviceWindow(const ModelDefinition& definition, FrameServices& services, QWidget* parent);

    // --- building, in component order ----------------------------------------
    QTreeWidgetItem* addTreeNode(QTreeWidgetItem* parent, const QString& caption, int pageIndex);
    /// A page: a group box on the right side of the configuration tab.
    QGroupBox* addPage(int pageIndex, const QString& caption);
    /// A group box inside a page ("GroupBox<n>", numbered after the pages).
    QGroupBox* addGroupBox(QWidget* parent, const QString& caption);
    /// A caption label ("Label<n>", numbered in creation order).
    QLabel* addLabel(QWidget* parent, const QString& caption);
    QLineEdit* addEdit(QWidget* parent, const QString& name, int widthInChars = 0);
    QCheckBox* addCheckBox(QWidget* parent, const QString& name, const QString& caption);
    QComboBox* addComboBox(QWidget* parent, const QString& name);
    /// A data grid over one of the form's tables, with code and Boolean cells.
    QTableView* addGrid(QWidget* parent, const QString& name, const QString& dataset, std::vector<GridColumn> columns);
    /// N5-style Boolean cells: the grid column of `field` gets its own check box.
    QCheckBox* addBooleanCellCheckBox(QTableView* grid, const QString& name, const QString& field,
                                      BooleanCellOverlay::Captions captions);

    /// The creation steps every window shares: the Firmware tab, the first
    /// page, the closed flag, the expanded tree.
    void finishCreation();
    /// Fills the "Firmware" sheet; by default with addFirmwareProgress().
    virtual void buildFirmwareSheet(QWidget* sheet, QVBoxLayout* layout);
    /// The label "Updating progress" and ProgressBar1 (0..100, smooth), laid
    /// out in `layout` of `holder`.
    void addFirmwareProgress(QWidget* holder, QVBoxLayout* layout);
    /// What a model does beyond the shared steps once its defaults are loaded.
    virtual void initialiseModel() {}

    FrameServices& services() { return m_services; }
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildConfigurationSheet();
    void bind(QWidget* widget, const Control& control);
    void syncWidget(const Control& control);
    void showPage(int index);
    void enterFirmwareMode(int progressMaximum);
    void leaveFirmwareMode();
    void setSheetShown(QWidget* sheet, bool shown);

    DeviceForm m_form;
    FrameServices& m_services;
    DeviceFormCodec m_codec{m_form};
    /// Declared after the form and its codec: it goes before them.
    std::unique_ptr<ConfigTransfer> m_transfer;
    /// Declared after the transfer whose ReceiveByte hands it the bootloader
    /// words: it goes first.
    std::unique_ptr<FirmwareSession> m_firmware;
    QTabWidget* m_pageControl = nullptr;
    QWidget* m_configSheet = nullptr;
    QTreeWidget* m_tree = nullptr;
    QStackedWidget* m_pageHost = nullptr;
    QWidget* m_firmwareSheet = nullptr;
    QProgressBar* m_firmwareProgress = nullptr;
    QHash<int, QGroupBox*> m_pages;
    QHash<QString, QWidget*> m_bound;
    QHash<QTableView*, BooleanCellOverlay*> m_overlays;
    int m_labelCount = 0;
    int m_groupBoxCount = 0;
};

} // namespace wendax::gui
