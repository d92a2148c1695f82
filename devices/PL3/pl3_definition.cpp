#include "pl3_definition.h"

namespace wendax {
namespace {

void buildPl3Form(FormState&) {}

} // namespace

const ModelDefinition& pl3Definition()
{
    static const ModelDefinition definition{
        Model::PL3, "TPL3_cfg", "PL3", "PL3 configuration", "", 0, 0, {}, buildPl3Form,
    };
    return definition;
}

} // namespace wendax
