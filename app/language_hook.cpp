#include "language_hook.h"

#include "main_form.h"
#include "program_folders.h"
#include "settings_store.h"

#include "app/language/language.h"

namespace wendax::gui {

std::function<void(QWidget&, const QString&)> makeLanguageHook(SettingsStore& settings, const ProgramFolders& folders)
{
    return [&settings, folders](QWidget& window, const QString& languageFile) {
        LanguageEnvironment environment{folders.languageShipped(),
                                        [&settings] { return settings.ReadSetting(SettingsStore::kLanguage); },
                                        folders.languageWritable()};
        const ApplyLanguageResult result = ApplyLanguage(window, languageFile, environment);
        if (auto* frame = qobject_cast<TMainForm*>(&window))
            frame->setLanguages(result.languageNames, result.activeLanguage);
    };
}

} // namespace wendax::gui
