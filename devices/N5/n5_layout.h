#pragma once
#include "devices/common/model_definition.h"

namespace wendax {

class FormState;

/// The N5 Ethernet transmitter: 4096-byte image, four inputs, three status events.
const ModelDefinition& n5Definition();

/// The protocol rule: the selected data protocol decides the transport and
/// which protocol settings can be edited.
void N5_ComboBox1Click(FormState& form);

} // namespace wendax
