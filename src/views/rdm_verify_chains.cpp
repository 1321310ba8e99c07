// The maker set-up chains: a SET of the maker's mode parameter from the
// Special tab is followed by a SET of the DMX start address, a SET of the
// personality and a re-scan of the device. Each step advances on any answer.

#include <QCheckBox>
#include <QRadioButton>
#include <QSpinBox>

#include "app/Main.h"
#include "link/DataModule.h"
#include "rdm/RdmDevice.h"
#include "rdm/RdmState.h"
#include "rdm/rdm_discovery.h"
#include "rdm/rdm_frame.h"
#include "rdm/rdm_handlers_later.h"
#include "rdm/rdm_ops.h"
#include "views/DeviceTree.h"
#include "views/RdmPageView.h"
#include "views/rdm_scan.h"
#include "views/rdm_set_context.h"

namespace {

constexpr uint8_t SetCommand = 0x30;

bool Checked(TfrmMain* frm, const char* name) {
    auto* w = frm->findChild<QAbstractButton*>(QLatin1String(name));
    return w && w->isChecked();
}

int SpinValue(TfrmMain* frm, const char* name) {
    auto* w = frm->findChild<QSpinBox*>(QLatin1String(name));
    return w ? w->value() : 1;
}

// Personality of the Q7 and Q9Sub pages: DMX 1; Single 2 with DMX priority,
// else 3; Master 4.
uint8_t ModePersonality(TfrmMain* frm, const char* dmx, const char* single, const char* prior,
                        const char* master) {
    if (Checked(frm, dmx)) return 1;
    if (Checked(frm, single)) return Checked(frm, prior) ? 2 : 3;
    if (Checked(frm, master)) return 4;
    return 1;
}

// The record the chain works on, or nullptr when its node is gone.
tRdmDevice* ChainRecord(TfrmMain* frm) {
    RdmPageView* view = RdmViewOf(frm);
    return view ? view->RecordAt(CurrentNodeOf(frm)) : nullptr;
}

// One step of the chain, chosen by the parameter whose SET was answered.
void ContinueSetupStep(TfrmMain* frm, RdmState& st, int node, const tRdmDevice* rec, uint16_t makerPid,
                       const char* addressEdit, uint8_t personality) {
    if (st.RdmCurrentPid == makerPid) {
        const int address = SpinValue(frm, addressEdit);
        st.RdmParamData[0] = static_cast<uint8_t>(address >> 8);
        st.RdmParamData[1] = static_cast<uint8_t>(address & 0xFF);
        st.RdmCurrentPid = 0x00F0;
        SendRdmParam(frm, *rec, SetCommand, 0x00F0, 2);
        DeviceLogLine(frm,
                      QStringLiteral("Send new dmx address (%1) to: ").arg(address) + FormatRdmUid(rec->uid));
    } else if (st.RdmCurrentPid == 0x00F0) {
        st.RdmParamData[0] = personality;
        st.RdmCurrentPid = 0x00E0;
        SendRdmParam(frm, *rec, SetCommand, 0x00E0, 1);
        DeviceLogLine(frm, QStringLiteral("Send new dmx personality to: ") + FormatRdmUid(rec->uid));
    } else if (st.RdmCurrentPid == 0x00E0) {
        RdmViewOf(frm)->Scan->ReadAgain(node);
        DeviceLogLine(frm, QStringLiteral("New dmx personality set"));
    }
}

// Ends a chain whose device is no longer the selected one: the rest of its
// SETs must not go to whatever device is selected now.
void StopSetup(TfrmMain* frm, RdmState& st, const QString& why, const QString& tail) {
    st.RdmPendingOp = RdmOpNone;
    DeviceLogLine(frm, QStringLiteral("Set-up stopped, %1: %2").arg(why, tail));
}

void ContinueSetup(TDM& DM, uint16_t makerPid, const char* addressEdit, uint8_t personality) {
    TfrmMain* frm = DM.mainWindow();
    RdmState& st = RdmStateOf(frm);
    // The device that answered is the one the chain works on.
    const int node = AnswerNodeOf(frm);
    const tRdmDevice* chained = AnswerRecordOf(frm);
    if (!chained) {
        st.RdmPendingOp = RdmOpNone;
        return;
    }
    const QString tail = DeviceLineTail(*chained);
    // Another device selected by now: the rest of the chain must not go to it.
    if (node != CurrentNodeOf(frm)) {
        StopSetup(frm, st, QStringLiteral("the selected device changed"), tail);
        return;
    }
    const uint8_t op = st.RdmPendingOp;
    const quint64 changes = TreeChanges(RdmViewOf(frm)->tree());
    // The device takes its time over a SET before it hears the next request.
    DM.PauseThen(
        100,
        [frm, &st, op, node, changes, tail, makerPid, addressEdit, personality] {
            // Meanwhile another operation may have started, or the selection or the tree changed.
            const tRdmDevice* rec = ChainRecord(frm);
            if (st.RdmPendingOp != op) return;
            if (!rec || TreeChanges(RdmViewOf(frm)->tree()) != changes) {
                StopSetup(frm, st, QStringLiteral("the device tree changed"), tail);
                return;
            }
            if (CurrentNodeOf(frm) != node) {
                StopSetup(frm, st, QStringLiteral("the selected device changed"), tail);
                return;
            }
            ContinueSetupStep(frm, st, node, rec, makerPid, addressEdit, personality);
        },
        PauseHold::Senders);
}

} // namespace

void ContinueKelvarSetup(TDM& DM, const tRdmMessage&) {
    const uint8_t personality = Checked(DM.mainWindow(), "rbModeDmx") ? 1 : 2;
    ContinueSetup(DM, 0x8000, "seRdmSpecDmxAdr", personality);
}

void ContinueQ7Setup(TDM& DM, const tRdmMessage&) {
    ContinueSetup(DM, 0x8004, "seRdmSpecQ7DmxAdr",
                  ModePersonality(DM.mainWindow(), "rbRdmSpecQ7ModeDmx", "rbRdmSpecQ7ModeSing",
                                  "cbRdmSpecQ7ModePrior", "rbRdmSpecQ7ModeMast"));
}

void ContinueQ9SubSetup(TDM& DM, const tRdmMessage&) {
    ContinueSetup(DM, 0x8004, "seRdmSpecQ9SubDmxAdr",
                  ModePersonality(DM.mainWindow(), "rbRdmSpecQ9SubModeDmx", "rbRdmSpecQ9SubModeSingle",
                                  "cbRdmSpecQ9SubModePrior", "rbRdmSpecQ9SubModeMaster"));
}
