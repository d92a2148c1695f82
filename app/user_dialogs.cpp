#include "user_dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace wendax::gui {
namespace {

QString runFileDialog(QWidget* parent, const UserDialogs::FileChoice& choice, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, {}, choice.initialFolder, choice.filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // The program asks "Save owerwrite?" itself.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDefaultSuffix(choice.defaultSuffix);
    dialog.setDirectory(choice.initialFolder);
    if (!choice.fileName.isEmpty())
        dialog.selectFile(choice.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString QtUserDialogs::openFileName(const FileChoice& choice)
{
    return runFileDialog(m_parent, choice, QFileDialog::AcceptOpen);
}

QString QtUserDialogs::saveFileName(const FileChoice& choice)
{
    return runFileDialog(m_parent, choice, QFileDialog::AcceptSave);
}

UserDialogs::Answer QtUserDialogs::askYesNoCancel(const QString& question)
{
    const auto button = QMessageBox::question(m_parent, QCoreApplication::applicationName(), question,
                                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                              QMessageBox::Cancel);
    if (button == QMessageBox::Yes)
        return Answer::Yes;
    return button == QMessageBox::No ? Answer::No : Answer::Cancel;
}

void QtUserDialogs::inform(const QString& text)
{
    QMessageBox::information(m_parent, QCoreApplication::applicationName(), text);
}

void QtUserDialogs::error(const QString& text, bool abortButton)
{
    QMessageBox::critical(m_parent, QCoreApplication::applicationName(), text,
                          abortButton ? QMessageBox::Abort : QMessageBox::Ok);
}

void QtUserDialogs::warnOkCancel(const QString& title, const QString& text)
{
    QMessageBox::warning(m_parent, title, text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok);
}

} // namespace wendax::gui
