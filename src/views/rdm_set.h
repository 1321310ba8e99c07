#pragma once

#include <initializer_list>

#include <QObject>
#include <cstdint>

class TfrmMain;
class QEvent;
struct tRdmDevice;

// The standard-parameter SET commands of the RDM page's configuration and
// details tabs: every Modify button sends a SET for the selected device and
// stores the requested value in its record at once, so that the verifying GET
// can compare; the input controls' change handlers only enable their button.
class TRdmSetCommands : public QObject {
    Q_OBJECT

public:
    explicit TRdmSetCommands(TfrmMain* mainWindow);

    static TRdmSetCommands* of(const TfrmMain* mainWindow);

    // SET DMX_START_ADDRESS with the address the record of `node` holds.
    void SendDmxStartAddress(uint16_t node);

    void btnModDmxAdrClick();
    void btnDispLevelClick();
    void btnDispInvClick();
    void btnModDmxPersClick();
    void btnIdentifyClick();
    void btnSetFactDefClick();
    void btnModDevLabClick();
    void btnResetClick();
    void btnModLampHoursClick();
    void btnModDevPowCycClick();
    void btnModLampStateClick();
    void btnModLampOnModeClick();
    void btnPanInvClick();
    void btnTiltInvClick();
    void btnPTSwapClick();
    void btnModPowStateClick();
    void cbQuietIdentifyMouseUp();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    tRdmDevice* currentRecord() const;
    bool demo() const;
    // The common sequence of the one-byte and four-byte members.
    // Puts a SET's request globals in place (answer awaited, operation, data, PID) and sends it.
    void sendSet(const tRdmDevice& rec, uint8_t op, uint16_t pid, std::initializer_list<uint8_t> data);
    void sendByte(uint16_t pid, uint8_t op, uint8_t value, uint8_t tRdmDevice::*field, const char* text);
    void sendCounter(uint16_t pid, uint8_t op, uint32_t value, uint32_t tRdmDevice::*field, const char* text);

    TfrmMain* frm;
};
