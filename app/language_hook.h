#pragma once
#include <QString>

#include <functional>

class QWidget;

namespace wendax::gui {

class ProgramFolders;
class SettingsStore;

/// The frame's ApplyLanguage: translates `window` from the shipped language
/// file, writes the translators' default and checked files where the program
/// may write, and hands the frame its language names for the Settings dialog.
std::function<void(QWidget& window, const QString& languageFile)> makeLanguageHook(SettingsStore& settings,
                                                                                  const ProgramFolders& folders);

} // namespace wendax::gui
