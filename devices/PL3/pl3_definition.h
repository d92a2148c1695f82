#pragma once
#include "devices/common/model_definition.h"

namespace wendax {

/// The PL3: a device whose only business with this program is its firmware.
/// It has no ConfigImage (image size 0, empty layout) and no form controls;
/// its window exists so that Update and the received bytes have a window of
/// the right class to go to.
const ModelDefinition& pl3Definition();

} // namespace wendax
