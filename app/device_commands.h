#pragma once

namespace wendax::gui {

class DeviceWindow;

/// The frame's commands that talk to a device, carried out by the link engine.
/// The frame routes to these after it has decided, by the active window's
/// class, that the command applies; it never runs protocol steps itself.
/// Until an implementation is given to the frame, the commands stay disabled.
class DeviceCommands {
public:
    virtual ~DeviceCommands() = default;
    /// Read Device: the request is sent even with no device window open.
    virtual void readDevice(DeviceWindow* active) = 0;
    virtual void writeDevice(DeviceWindow& window) = 0;
    virtual void startFirmwareUpdate(DeviceWindow& window) = 0;
    virtual void printReport(DeviceWindow& window) = 0;
    /// False keeps Update, or the report button, disabled: the commands are
    /// routed but what they start is not there.
    virtual bool canUpdateFirmware() const { return true; }
    virtual bool canPrintReport() const { return true; }
    /// Applies the "COM enable" tick: opens or closes the chosen port.
    virtual void applyComEnable(bool enabled) = 0;
    virtual bool portOpen() const = 0;
    /// The receive-in-progress mark the port-closing timer waits for.
    virtual bool receiveInProgress() const = 0;
    /// One character typed into the TerminalLog, sent as one byte.
    virtual void sendByte(char byte) = 0;
};

} // namespace wendax::gui
