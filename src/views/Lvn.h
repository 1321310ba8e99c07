#pragma once

#include <cstdint>
#include <memory>

#include "app/ModalDialog.h"

namespace Ui {
class TfrmLvn;
}
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QObject;
class QSpinBox;
class TfrmMain;
struct tLvnConfig;
struct tLvnPersonality;
struct tLvnSlot;

// The decoder's personality dialog: one personality at a time, three slot
// rows with a scroll bar over its slots, and the strobe settings. It holds no
// data of its own: every change writes the decoder's records at once.
class TfrmLvn : public TModalDialog {
    Q_OBJECT

public:
    explicit TfrmLvn(TfrmMain* owner);
    ~TfrmLvn() override;

    std::unique_ptr<Ui::TfrmLvn> ui;

    uint8_t LvnCurrentPersonality = 0;
    uint8_t LvnFirstVisibleSlot = 0;

    void cbSelPersChange();
    void ePersDescChange();
    void seInChNrChange();
    void seOutChNrChange();
    void sbPersChsChange();
    // Shared by the three rows: the row is the digit after the control's name stem.
    void cbSlotType1Change(QObject* sender);
    void cbSlotLabID1Change(QObject* sender);
    void seSlotDef1Change(QObject* sender);
    void eSlotDesc1Change(QObject* sender);
    void cbType1Change(QObject* sender);
    void cbOutChNr1Change(QObject* sender);
    void cbReserv1Click(QObject* sender);
    void cbMaster1Click(QObject* sender);
    void cbSrob1Click(QObject* sender);
    void seStrobMinChange();
    void seStrobMaxChange();
    void seStrobOpenChange();
    void btnCloseClick();

    void ShowPersonalityPage();
    void FillOutChannelCombos();
    // A primary slot's list holds the label names; a secondary slot's the
    // numbers of the slots before it, one of which it belongs to.
    void FillSlotLabelCombo(QComboBox* list, uint8_t slotType, uint8_t slotNumber);
    void EnableStrobeGroup();

protected:
    void FormActivate() override;

private:
    struct Row {
        QLabel* number;
        QComboBox *slotType, *labelId;
        QSpinBox* defaultValue;
        QLineEdit* description;
        QComboBox *type, *outChannel;
        QCheckBox *reversed, *mastered, *strobed;
        QLabel *lSlotType, *lLabelId, *lDefault, *lDescription, *lType, *lOutChannel;
    };
    Row row(int r) const; // r = 1..3

    tLvnConfig& cfg() const;
    tLvnPersonality& personality() const;
    // The slot shown in a row of the sender's name, or nullptr past the records.
    tLvnSlot* slotOf(QObject* sender, int stem, int* slotIndex = nullptr) const;
    void selectSlotLabel(QComboBox* list, uint8_t slotType, uint16_t labelId);
    void setOutputFlag(QObject* sender, int stem, uint8_t bit);

    TfrmMain* frmMain;
    // Non-zero while code fills the dialog: its handlers then leave the records alone.
    int FillingControls = 0;
};
