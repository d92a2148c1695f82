#pragma once
#include <QIcon>

namespace wendax::gui {

enum class ToolIcon { Open, Save, Connect, Disconnect, Receive, Send, Report };

/// The tool bar's 16x16 icons, drawn by the program.
QIcon toolIcon(ToolIcon icon);

} // namespace wendax::gui
