#pragma once
#include "link/frame_services.h"

#include <ostream>
#include <string>
#include <vector>

namespace wendax::cli {

/// The frame services of the command-line front end: messages and the
/// device's version are printed, the log only when asked for, the settings
/// store and the Progress window do not exist.
class ConsoleServices final : public FrameServices {
public:
    /// Messages and the version go to `messages`; the terminal log, when
    /// `showLog` is set, to `log`.
    ConsoleServices(std::ostream& messages, std::ostream& log, bool showLog);

    void storeComEnable(bool) override {}
    void setStatusPanel(int panel, std::string_view text) override;
    void logChanged(const LogChange& change) override;
    void showProgress(int) override {}
    void advanceProgress(int) override {}
    void closeProgress() override {}
    void setTransferCommandsEnabled(bool) override {}
    void showMessage(const UserMessage& message) override;

    /// Every message shown so far, in order.
    const std::vector<std::string>& messages() const { return m_messages; }

private:
    std::ostream& m_out;
    std::ostream& m_log;
    bool m_showLog;
    std::vector<std::string> m_messages;
};

} // namespace wendax::cli
