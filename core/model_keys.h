#pragma once
#include <array>
#include <optional>
#include <string_view>

namespace wendax {

/// The device models, in the order of the Devices menu.
enum class Model { N5, N14, N14v2, RX8, MT43, MT6, PL3 };

inline constexpr std::array kAllModels{Model::N5,  Model::N14, Model::N14v2, Model::RX8,
                                       Model::MT43, Model::MT6, Model::PL3};

/// The model's own name ("N5", "N14", "N14v2", "RX8", "MT43", "MT6", "PL3").
std::string_view modelName(Model model);

/// Parses a model name, also taking the Devices-menu names N9 (N14) and MT5
/// (MT43); case-insensitive. nullopt for anything else.
std::optional<Model> parseModelName(std::string_view name);

/// The 10-character cipher key of the model; empty for PL3, which has no image.
std::string_view modelKey(Model model);

} // namespace wendax
