#pragma once
#include <QLatin1StringView>

/// The language module's own texts and file names.
namespace wendax::msg {

/// What a translatable text shows when the loaded language file lacks its key.
inline constexpr QLatin1StringView kNull{"NULL"};
/// The single language a default file names.
inline constexpr QLatin1StringView kEnglish{"English"};
inline constexpr QLatin1StringView kDefaultSuffix{"_Default.lng"};
inline constexpr QLatin1StringView kCheckedSuffix{"_Checked.lng"};

/// The language files of the windows that have one.
inline constexpr QLatin1StringView kMainLng{"Main.lng"};
inline constexpr QLatin1StringView kN5Lng{"N5.lng"};
inline constexpr QLatin1StringView kRX8Lng{"RX8.lng"};
inline constexpr QLatin1StringView kMT5Lng{"MT5.lng"};
inline constexpr QLatin1StringView kMT6Lng{"MT6.lng"};

} // namespace wendax::msg
