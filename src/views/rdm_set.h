#pragma once

#include <initializer_list>

#include <QObject>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

class TfrmMain;
class QEvent;
struct tRdmDevice;
struct tRdmMessage;

// The standard-parameter SET commands of the RDM page's configuration and
// details tabs: every Modify button sends a SET for the selected device and
// stores the requested value in its record at once, so that the verifying GET
// can compare; the input controls' change handlers only enable their button.
class TRdmSetCommands : public QObject {
    Q_OBJECT

public:
    explicit TRdmSetCommands(TfrmMain* mainWindow);

    static TRdmSetCommands* of(const TfrmMain* mainWindow);

    // SET DMX_START_ADDRESS with the address the record of `node` holds;
    // `addressBefore` is the address the device had before it was changed
    // in the record.
    void SendDmxStartAddress(uint16_t node, uint16_t addressBefore);

    // The value of a device that a SET replaced in its record. A device that
    // refuses to read the parameter back has not said that it took the new
    // value, so the verification puts this one back.
    struct ValueBefore {
        uint16_t pid = 0;
        uint64_t uid = 0;
        uint16_t subDevice = 0;
        uint32_t number = 0;
        QString label;
    };
    // The value the SETs of `pid` to the record's device replaced since the
    // device last said what it holds; it is forgotten once given.
    std::optional<ValueBefore> TakeValueBefore(uint16_t pid, const tRdmDevice& rec);
    // A GET answer from the record's device: a value it carries whole is what
    // the device holds now, so nothing from before is kept for it.
    void ValueRead(const tRdmMessage& msg, const tRdmDevice& rec);

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
    // The selected node's record, or nullptr when it is gone or a group node.
    tRdmDevice* currentRecord() const;
    static tRdmDevice* deviceRecord(tRdmDevice* rec);
    bool demo() const;
    // While the line is held (a run, a device's reading again, another SET's
    // answer or reading back on its way) a SET is not sent: it would take the
    // answer the operation waits for. One device-log line says so.
    bool refusedWhileLineHeld(const char* what);
    // The common sequence of the one-byte and four-byte members.
    // Puts a SET's request globals in place (answer awaited, operation, data, PID) and sends it.
    void sendSet(const tRdmDevice& rec, uint8_t op, uint16_t pid, std::initializer_list<uint8_t> data);
    // False when nothing was sent.
    bool sendByte(uint16_t pid, uint8_t op, uint8_t value, uint8_t tRdmDevice::*field, const char* text,
                  const char* what);
    void sendCounter(uint16_t pid, uint8_t op, uint32_t value, uint32_t tRdmDevice::*field, const char* text,
                     const char* what);
    // Remembers the device's value that a SET of `pid` replaces in the record.
    void rememberBefore(const tRdmDevice& rec, uint16_t pid, uint32_t number,
                        const QString& label = QString());
    std::vector<ValueBefore>::iterator findBefore(uint16_t pid, const tRdmDevice& rec);
    void forgetBefore(uint16_t pid, const tRdmDevice& rec);

    TfrmMain* frm;
    // At most one per device and parameter.
    std::vector<ValueBefore> before;
};
