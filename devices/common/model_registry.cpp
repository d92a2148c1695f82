#include "model_registry.h"

#include "devices/N5/n5_layout.h"
#include "devices/PL3/pl3_definition.h"

#include <array>

namespace wendax {
namespace {

// Adding a model: its layout, its window, and one line here.
const std::array kBuilt{&n5Definition, &pl3Definition};

} // namespace

std::vector<const ModelDefinition*> builtDefinitions()
{
    std::vector<const ModelDefinition*> all;
    for (const auto& definitionOf : kBuilt)
        all.push_back(&definitionOf());
    return all;
}

const ModelDefinition* findDefinition(Model model)
{
    for (const auto* definition : builtDefinitions()) {
        if (definition->model == model)
            return definition;
    }
    return nullptr;
}

const ModelDefinition* findDefinitionByClass(std::string_view className)
{
    for (const auto* definition : builtDefinitions()) {
        if (definition->className == className)
            return definition;
    }
    return nullptr;
}

} // namespace wendax
