#include "about_box.h"

#include "device_window.h"
#include "messages.h"

#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace wendax::gui {
namespace {

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption)
{
    auto* label = new QLabel(caption, parent);
    setComponent(label, QString::fromLatin1(name), "TLabel");
    return label;
}

} // namespace

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent)
{
    setComponent(this, QStringLiteral("AboutBox"), "TAboutBox");
    setWindowTitle(msg::kAboutCaption);
    setModal(true);

    auto* panel = new QFrame(this);
    setComponent(panel, QStringLiteral("Panel1"), "TPanel");
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->addWidget(makeLabel(panel, "ProductName", msg::kProductName));
    panelLayout->addWidget(makeLabel(panel, "Version", msg::kVersion));
    QLabel* copyright = makeLabel(panel, "Copyright", msg::kCopyright);
    copyright->hide();
    panelLayout->addWidget(copyright);
    panelLayout->addWidget(makeLabel(panel, "Comments", msg::kComments));

    auto* ok = new QPushButton(msg::kOk, this);
    setComponent(ok, QStringLiteral("OKButton"), "TButton");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

TForm1::TForm1(QWidget* parent)
    : QDialog(parent)
{
    setComponent(this, QStringLiteral("Form1"), "TForm1");
    setWindowTitle(msg::kProgressCaption);
    setModal(false);
    setFixedSize(370, 116);
    QLabel* label = makeLabel(this, "Label1", msg::kProgressLabel);
    m_bar = new QProgressBar(this);
    setComponent(m_bar, QStringLiteral("ProgressBar1"), "TProgressBar");
    m_bar->setTextVisible(false); // a smooth bar
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_bar);
}

} // namespace wendax::gui
