#include "model_keys.h"

#include <algorithm>
#include <cctype>

namespace wendax {
namespace {

struct ModelNames {
    Model model;
    std::string_view name;
    std::string_view menuAlias;
    std::string_view key;
};

constexpr ModelNames kModelNames[] = {
    {Model::N5, "N5", "", "qTz#k9w2v7"},
    {Model::N14, "N14", "N9", "Zj4wq7n3ct"},
    {Model::N14v2, "N14v2", "", "Zj4wq7n3ct"},
    {Model::RX8, "RX8", "", "Hp7_rk&x2s"},
    {Model::MT43, "MT43", "MT5", "fHx2p5oqze"},
    {Model::MT6, "MT6", "", "fHx2p5oqze"},
    {Model::PL3, "PL3", "", ""},
};

const ModelNames& namesOf(Model model)
{
    return kModelNames[static_cast<std::size_t>(model)];
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

} // namespace

std::string_view modelName(Model model)
{
    return namesOf(model).name;
}

std::optional<Model> parseModelName(std::string_view name)
{
    for (const auto& entry : kModelNames) {
        if (equalsIgnoringCase(name, entry.name) || (!entry.menuAlias.empty() && equalsIgnoringCase(name, entry.menuAlias)))
            return entry.model;
    }
    return std::nullopt;
}

std::string_view modelKey(Model model)
{
    return namesOf(model).key;
}

} // namespace wendax
