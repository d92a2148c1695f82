#pragma once
#include "image_layout.h"

#include "core/model_keys.h"

#include <span>
#include <string_view>

namespace wendax {

class FormState;

/// Everything that makes one model's window what it is, minus its widgets:
/// names, image size, layout table and the fresh-window form.
struct ModelDefinition {
    Model model;
    std::string_view className;      ///< "TN5_cfg"
    std::string_view menuCaption;    ///< the Devices menu item, "N5"
    std::string_view windowCaption;  ///< "N5 cconfiguration"
    std::string_view configCaption;  ///< the configuration tab, "N5 Configuration"
    std::size_t imageSize;           ///< plain ConfigImage bytes; 0 without an image (PL3)
    std::size_t imageBufferSize;     ///< image plus the tail the transfer code uses
    std::span<const Field> layout;   ///< empty for a model without an image
    /// Creates the controls with their fresh-window values and rules, the
    /// tables with their fixed rows, and the model's list handlers.
    void (*buildForm)(FormState& form);

    /// False for a model whose only business with the program is its firmware.
    bool hasImage() const { return imageSize != 0; }
};

} // namespace wendax
