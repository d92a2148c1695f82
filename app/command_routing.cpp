#include "command_routing.h"

#include <array>

namespace wendax::gui {
namespace {

constexpr std::array kRoutes{
//                class          load   save   write  update step   report
    CommandRoute{"TN5_cfg",     true,  true,  true,  true,  false, false},
    CommandRoute{"TN14_cfg",    true,  true,  true,  true,  true,  false},
    CommandRoute{"TN14v2_cfg",  false, false, true,  true,  false, false},
    CommandRoute{"TMT43_cfg",   true,  true,  true,  true,  false, true},
    CommandRoute{"TMT6_cfg",    true,  true,  true,  true,  true,  false},
    CommandRoute{"TRX8_cfg",    true,  true,  true,  true,  false, false},
    CommandRoute{"TPL3_cfg",    false, false, false, true,  false, false},
};

} // namespace

const CommandRoute* routeFor(std::string_view className)
{
    for (const CommandRoute& route : kRoutes) {
        if (route.className == className)
            return &route;
    }
    return nullptr;
}

} // namespace wendax::gui
