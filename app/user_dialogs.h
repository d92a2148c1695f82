#pragma once
#include <QString>

class QWidget;

namespace wendax::gui {

/// Every question and message the frame and the device windows put to the
/// user. The program shows Qt dialogs; tests answer from a script.
class UserDialogs {
public:
    enum class Answer { Yes, No, Cancel };

    struct FileChoice {
        QString initialFolder;
        QString filter;        ///< Qt filter text, "Configuration files (*.vcfg)"
        QString defaultSuffix; ///< appended by the save dialog when the name has none
        QString fileName;      ///< preset name; empty for a cleared field
    };

    virtual ~UserDialogs() = default;
    /// The chosen existing file, or an empty text when the user cancelled.
    virtual QString openFileName(const FileChoice& choice) = 0;
    /// The chosen file to write, or an empty text when the user cancelled. The
    /// dialog itself asks nothing about existing files.
    virtual QString saveFileName(const FileChoice& choice) = 0;
    virtual Answer askYesNoCancel(const QString& question) = 0;
    /// An information box with an OK button.
    virtual void inform(const QString& text) = 0;
    /// An error box; `abortButton` shows Abort instead of OK.
    virtual void error(const QString& text, bool abortButton = false) = 0;
    /// A warning box with its own title and the buttons OK and Cancel; either
    /// button only closes it ("File Error").
    virtual void warnOkCancel(const QString& title, const QString& text) = 0;
};

/// The dialogs of the running program, owned by `parent`'s window.
class QtUserDialogs final : public UserDialogs {
public:
    explicit QtUserDialogs(QWidget* parent) : m_parent(parent) {}
    QString openFileName(const FileChoice& choice) override;
    QString saveFileName(const FileChoice& choice) override;
    Answer askYesNoCancel(const QString& question) override;
    void inform(const QString& text) override;
    void error(const QString& text, bool abortButton) override;
    void warnOkCancel(const QString& title, const QString& text) override;

private:
    QWidget* m_parent;
};

} // namespace wendax::gui
