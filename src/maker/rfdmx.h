#pragma once

#include <QObject>
#include <array>
#include <cstdint>
#include <memory>
#include <span>

#include "link/LinkTypes.h"

namespace Ui {
class RfDmxCom;
class RemCont;
class RemContTrain;
} // namespace Ui
class TfrmMain;

// A key of the maker's radio remote control: its name in the key lists, its
// code, and whether the receiver repeats it while the key is held.
struct tRemoteKey {
    const char* item;
    uint16_t code;
    uint8_t autoRepeat;
};
extern const std::array<tRemoteKey, 18> RemoteKeyTable;

// Builds the report that sends a radio frame: command 6, the frame's length,
// the 0xF0 lead and 0x80 + payload length, the payload, and a check byte
// (0x5F XOR every byte from the lead on). A training frame carries one 0
// byte after its check byte.
void PutRfFrame(THidReport& report, std::span<const uint8_t> payload, bool trailingZero);

// The page "RfDMXRx" of the wireless interfaces: the radio link's settings
// (tab tsDMXRFCom), the remote-control keys (tsRemCont) and the teaching of a
// four-key remote (tsRemContTrain). The forms are hosted inside the tabs; one
// instance per main window.
class TRfDmxPage : public QObject {
    Q_OBJECT

public:
    explicit TRfDmxPage(TfrmMain* mainWindow);
    ~TRfDmxPage() override;

    static TRfDmxPage* of(const TfrmMain* mainWindow);

    void mAblakDmxRFSetClick();
    void btnGetConfRfDmxClick();
    // Shared by "SEND CONFIG" and "SEND CONFIG AND FORWARD VIA RF".
    void btnSendConfRfDmxClick(QObject* sender);
    // Shared by the 18 key buttons; the key is known by the button's name.
    void btnRemContDMXClick(QObject* sender);
    void btnRfSetConfClick();

    void ShowRfDmxConfigControls(bool rfChannel, bool dmxCount, bool mode, bool forward, bool send);
    // The interface's configuration answer is in the line state.
    void InterfaceConfigArrived();
    // The radio link's settings as the interface reported them.
    void ShowRfConfig(const THidReport& report);

    std::unique_ptr<Ui::RfDmxCom> comUi;
    std::unique_ptr<Ui::RemCont> remUi;
    std::unique_ptr<Ui::RemContTrain> trainUi;

private:
    void WarnFirmwareUpdate();
    void SendCommand(uint8_t command);

    TfrmMain* frm;
    bool warningPending = false;
};
