#pragma once
#include <QDialog>

class QProgressBar;

namespace wendax::gui {

/// The About box: product, version and comment on a sunken panel.
class TAboutBox final : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
};

/// The Progress window shown while a configuration is sent. Not modal.
class TForm1 final : public QDialog {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    QProgressBar* progressBar() const { return m_bar; }

private:
    QProgressBar* m_bar;
};

} // namespace wendax::gui
