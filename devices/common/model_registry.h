#pragma once
#include "model_definition.h"

#include <vector>

namespace wendax {

/// The definition of a model whose window is built, or nullptr.
const ModelDefinition* findDefinition(Model model);

/// The definition whose window class is `className` ("TN5_cfg"), or nullptr.
const ModelDefinition* findDefinitionByClass(std::string_view className);

/// Every built model, in the order of the Devices menu.
std::vector<const ModelDefinition*> builtDefinitions();

} // namespace wendax
