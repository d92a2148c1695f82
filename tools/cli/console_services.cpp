#include "console_services.h"

namespace wendax::cli {

ConsoleServices::ConsoleServices(std::ostream& messages, std::ostream& log, bool showLog)
    : m_out(messages)
    , m_log(log)
    , m_showLog(showLog)
{
}

void ConsoleServices::setStatusPanel(int panel, std::string_view text)
{
    if (panel == 3)
        m_out << "Device version: " << text << std::endl;
}

// The log's text with "\r\n" breaks; only what is appended is new on a console.
void ConsoleServices::logChanged(const LogChange& change)
{
    if (!m_showLog || change.cleared)
        return;
    std::string text;
    text.reserve(change.appended.size());
    for (const char c : change.appended) {
        if (c != '\r')
            text += c;
    }
    m_log << text << std::flush;
}

void ConsoleServices::showMessage(const UserMessage& message)
{
    m_messages.push_back(message.text);
    m_out << message.text << std::endl;
}

} // namespace wendax::cli
