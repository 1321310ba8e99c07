#pragma once

#include <QObject>
#include <cstdint>
#include <memory>

#include "views/lvn_image.h"

namespace Ui {
class Lvn24Conf;
}
class OperationWatch;
class QComboBox;
class TDM;
class TfrmMain;
struct tRdmDevice;
struct tRdmMessage;

// The configurable decoder's tab `tsLvn24Conf` on the RDM page: it edits the
// decoder's identity, opens the personality dialog, and reads and writes the
// decoder's configuration image block by block with PID 0x8014, each step
// started by the device's answer to the one before. One per main window; it
// holds the decoder's records and image.
class TLvnPage : public QObject {
    Q_OBJECT

public:
    explicit TLvnPage(TfrmMain* mainWindow);
    ~TLvnPage() override;

    static TLvnPage* of(const TfrmMain* mainWindow);

    std::unique_ptr<Ui::Lvn24Conf> ui;
    tLvnConfig cfg;

    // The block in transfer: its device address, its number, and the last one.
    uint16_t LvnBlockAddress = 0;
    uint8_t LvnBlockIndex = 0;
    uint8_t LvnLastBlock = 0;
    // The limits request of a read is out and unanswered.
    bool LimitsAsked = false;

    // How far the editor lets the counts go: the device's maxima, or what the
    // records hold while none is known (a maximum of 0) or where it is larger.
    int PersonalityLimit() const;
    int SlotLimit() const;
    int OutChannelLimit() const;

    void ShowLvnHeader();

    // Tab handlers.
    void eDevModDescChange();
    void eManLabelChange();
    void seSoftVerIDChange();
    void cbProdCatChange();
    void cbProdFineCatChange();
    void seTotPersChange();
    void cbSensTempClick();
    void cbSensContClick();
    void cbFactDefClick();
    void btnPersSettingsClick();
    void btnGetClick();
    void btnSetClick();
    // The main window's hidden "Auto Discovery" box.
    void cbTestAutoDiscClick();

    // Transfer.
    void StartLvnConfigRead();
    void ReceiveLvnConfigBlock(const tRdmMessage& msg);
    void StartLvnConfigSend();
    void SendLvnConfigBlock();
    void SendNextLvnConfigBlock(const tRdmMessage& msg);

private:
    tRdmDevice* selectedDecoder() const;
    void startTransfer(const tRdmDevice& rec);
    void sendToDecoder(uint8_t commandClass, uint8_t pdl);
    void sendBlockRead();
    void afterPause(void (TLvnPage::*handler)(const tRdmMessage&), const tRdmMessage& msg);
    void handleReadAnswer(const tRdmMessage& msg);
    void handleWriteAnswer(const tRdmMessage& msg);
    void log(const QString& line);
    void FillProductSubCategories(uint16_t category);
    void setFlag(uint16_t& word, uint16_t bit, bool on);

    TfrmMain* frm;
    // The device of the transfer running: its answers' follow-ups go to it
    // even when another node is selected meanwhile.
    uint64_t targetUid = 0;
    uint16_t targetSubDevice = 0;
    // Counts the transfers started, so that a follow-up waiting in its pause
    // when a new transfer starts is dropped.
    uint32_t transferGeneration = 0;
    // Releases the pending code of a write that the line's operations were
    // ended under (the interface pulled out, the demo, a discovery), so that
    // no later answer carries it on.
    OperationWatch* writeWatch;
    // Non-zero while code fills the tab: its handlers then leave the records alone.
    int FillingControls = 0;
};
