#include "maker/rfdmx.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QStringList>
#include <QTabWidget>
#include <algorithm>

#include "app/Kerdes.h"
#include "app/Main.h"
#include "link/DataModule.h"
#include "maker/StreamUpload.h"
#include "ui_Main.h"
#include "ui_RemCont.h"
#include "ui_RemContTrain.h"
#include "ui_RfDmxCom.h"

const std::array<tRemoteKey, 18> RemoteKeyTable{{
    {"DMX", 0x1E01, 0},
    {"LOCK", 0x1F00, 0},
    {"SPEED +", 0x130C, 1},
    {"SPEED -", 0x1609, 1},
    {"BRIGHTNESS +", 0x150A, 1},
    {"BRIGHTNESS -", 0x0A15, 1},
    {"FADE", 0x0916, 0},
    {"PROGRAM 1", 0x120D, 0},
    {"PROGRAM 2", 0x110E, 0},
    {"PROGRAM 3", 0x0B14, 0},
    {"PROGRAM 4", 0x1906, 0},
    {"PROGRAM 5", 0x1708, 0},
    {"PROGRAM 6", 0x1E02, 0},
    {"PROGRAM 7", 0x1C03, 0},
    {"PROGRAM 8", 0x1E04, 0},
    {"PROGRAM 9", 0x1C05, 0},
    {"PROGRAM +", 0x1C06, 0},
    {"PROGRAM -", 0x1807, 0},
}};

namespace {

// The key buttons of the remote-control tab and their rows of RemoteKeyTable.
struct KeyButton {
    const char* name;
    int row;
};
constexpr std::array<KeyButton, 18> KeyButtons{{
    {"btnRemContDMX", 0},
    {"btnRemContLOCK", 1},
    {"btnRemContSPDP", 2},
    {"btnRemContSPDM", 3},
    {"btnRemContBRGP", 4},
    {"btnRemContBRGM", 5},
    {"btnRemContFADE", 6},
    {"btnRemContP1", 7},
    {"btnRemContP2", 8},
    {"btnRemContP3", 9},
    {"btnRemContP4", 10},
    {"btnRemContP5", 11},
    {"btnRemContP6", 12},
    {"btnRemContP7", 13},
    {"btnRemContP8", 14},
    {"btnRemContP9", 15},
    {"btnRemContPRGP", 16},
    {"btnRemContPRGM", 17},
}};

// Default keys of the four training lists: PROGRAM 1, PROGRAM 2, BRIGHTNESS +, BRIGHTNESS -.
constexpr std::array<int, 4> TrainingDefaults{7, 8, 4, 5};

constexpr uint8_t CmdRfPageRead = 12;
constexpr uint8_t CmdRfPageNoFirmware = 13;

} // namespace

void PutRfFrame(THidReport& report, std::span<const uint8_t> payload, bool trailingZero) {
    const size_t L = payload.size();
    report[1] = CmdRfFrame;
    report[2] = uint8_t(L + (trailingZero ? 6 : 5));
    report[3] = 0;
    report[4] = 0;
    report[5] = 0xF0;
    report[6] = uint8_t(0x80 + L);
    std::copy(payload.begin(), payload.end(), report.begin() + 7);
    uint8_t check = 0x5F;
    for (size_t i = 5; i <= L + 6; ++i)
        check ^= report[i];
    report[L + 7] = check;
    if (trailingZero) report[L + 8] = 0;
}

// ---- Interface configuration answers (input dispatch) --------------------------

void TDM::HandleInterfaceConfig() {
    tLineState& s = Line();
    std::copy_n(HidReport.begin() + 1, s.InterfaceBootInfo.size(), s.InterfaceBootInfo.begin());
    std::copy_n(HidReport.begin() + 7, s.InterfaceAppInfo.size(), s.InterfaceAppInfo.begin());
    if (TRfDmxPage* page = TRfDmxPage::of(frmMain)) page->InterfaceConfigArrived();
}

void TDM::HandleRfConfigAnswer() {
    if (TRfDmxPage* page = TRfDmxPage::of(frmMain)) page->ShowRfConfig(HidReport);
}

void TDM::ShowRfDmxConfigControls(bool rfChannel, bool dmxCount, bool mode, bool forward, bool send) {
    if (TRfDmxPage* page = TRfDmxPage::of(frmMain))
        page->ShowRfDmxConfigControls(rfChannel, dmxCount, mode, forward, send);
}

// ---- The page ---------------------------------------------------------------------

TRfDmxPage::TRfDmxPage(TfrmMain* mainWindow)
    : QObject(mainWindow), comUi(std::make_unique<Ui::RfDmxCom>()), remUi(std::make_unique<Ui::RemCont>()),
      trainUi(std::make_unique<Ui::RemContTrain>()), frm(mainWindow) {
    setObjectName(QStringLiteral("RfDmxPage"));
    Ui::TfrmMain& m = *frm->ui;
    auto host = [](QWidget* tab, auto& form) {
        auto* w = new QWidget(tab);
        form->setupUi(w);
        tab->layout()->addWidget(w);
        tab->layout()->setAlignment(w, Qt::AlignLeft | Qt::AlignTop);
    };
    host(m.tsDMXRFCom, comUi);
    host(m.tsRemCont, remUi);
    host(m.tsRemContTrain, trainUi);
    // These captions are the same in every language.
    m.pcDmxRf->setTabText(m.pcDmxRf->indexOf(m.tsDMXRFCom), QStringLiteral("DMX/RF communication settings"));
    m.pcDmxRf->setTabText(m.pcDmxRf->indexOf(m.tsRemCont), QStringLiteral("Remote control"));
    m.pcDmxRf->setTabText(m.pcDmxRf->indexOf(m.tsRemContTrain), QStringLiteral("Remote control training"));

    QStringList keys;
    for (const tRemoteKey& key : RemoteKeyTable)
        keys << QString::fromLatin1(key.item);
    QComboBox* lists[] = {trainUi->cbRc04_1, trainUi->cbRc04_2, trainUi->cbRc04_3, trainUi->cbRc04_4};
    for (int i = 0; i < 4; ++i) {
        lists[i]->addItems(keys);
        lists[i]->setCurrentIndex(TrainingDefaults[size_t(i)]);
    }

    connect(m.mAblakDmxRFSet, &QAction::triggered, this, &TRfDmxPage::mAblakDmxRFSetClick);
    connect(comUi->btnGetConfRfDmx, &QPushButton::clicked, this, &TRfDmxPage::btnGetConfRfDmxClick);
    for (QPushButton* b : {comUi->btnSendConfRfDmx, comUi->btnDmxRfSendConfForw})
        connect(b, &QPushButton::clicked, this, [this, b] { btnSendConfRfDmxClick(b); });
    for (const KeyButton& k : KeyButtons) {
        auto* b = m.tsRemCont->findChild<QPushButton*>(QString::fromLatin1(k.name));
        connect(b, &QPushButton::clicked, this, [this, b] { btnRemContDMXClick(b); });
    }
    connect(trainUi->BitBtn2, &QPushButton::clicked, this, &TRfDmxPage::btnRfSetConfClick);
}

TRfDmxPage::~TRfDmxPage() = default;

TRfDmxPage* TRfDmxPage::of(const TfrmMain* mainWindow) {
    return mainWindow ? mainWindow->findChild<TRfDmxPage*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void TRfDmxPage::mAblakDmxRFSetClick() {
    frm->showMainPage(QStringLiteral("RfDMXRx"));
}

void TRfDmxPage::SendCommand(uint8_t command) {
    TDM* dm = frm->dataModule();
    dm->HidReport[1] = command;
    dm->HidReport[2] = 0;
    dm->HidReport[3] = 0;
    dm->HidReport[4] = 0;
    dm->SendHidReport();
}

void TRfDmxPage::btnGetConfRfDmxClick() {
    TDM* dm = frm->dataModule();
    if (!dm) return;
    if (frm->LineState.InterfaceAppInfo[0] != 0) {
        dm->LinkMode = LinkModeRfConfigRead;
        SendCommand(CmdReadRfConfig);
        return;
    }
    // No application on the interface: it waits for new firmware. A file that
    // does not fit, or none chosen, lets it go again.
    dm->LinkMode = LinkModeSecondRfRead;
    SendCommand(CmdRfPageRead);
    if (!UpdateFirmware(*frm)) SendCommand(CmdRfPageNoFirmware);
}

void TRfDmxPage::btnSendConfRfDmxClick(QObject* sender) {
    TDM* dm = frm->dataModule();
    if (!dm) return;
    const Ui::RfDmxCom& u = *comUi;
    const int channels = u.seDmxRfConfNrDmx->value();
    THidReport& r = dm->HidReport;
    r[1] = CmdRfDmxConfigWrite;
    r[2] = 7;
    r[3] = uint8_t(std::max(u.cbDmxRfConfRfCh->currentIndex(), 0));
    r[4] = 7;
    r[5] = 0x40;
    r[6] = uint8_t(channels & 0xFF);
    r[7] = uint8_t(channels >> 8);
    r[8] = u.rbDmxRfConfRep->isChecked() ? 1 : 0;
    // Kept by the interface on the USB only, or forwarded to the receivers too.
    r[9] = sender == u.btnSendConfRfDmx ? 1 : 0;
    dm->SendHidReport();
}

void TRfDmxPage::btnRemContDMXClick(QObject* sender) {
    TDM* dm = frm->dataModule();
    if (!dm || !sender) return;
    const auto key = std::find_if(KeyButtons.begin(), KeyButtons.end(), [&](const KeyButton& k) {
        return sender->objectName() == QLatin1String(k.name);
    });
    if (key == KeyButtons.end()) return;
    const uint16_t code = RemoteKeyTable[size_t(key->row)].code;
    const Ui::RemCont& u = *remUi;
    const QSpinBox* channel = u.rbRemCont1->isChecked()   ? u.seRemCont1
                              : u.rbRemCont2->isChecked() ? u.seRemCont2
                              : u.rbRemCont3->isChecked() ? u.seRemCont3
                                                          : u.seRemCont4;
    const std::array<uint8_t, 8> payload{uint8_t(0xC0 + channel->value()),
                                         0xCF,
                                         0x44,
                                         0x34,
                                         uint8_t(code >> 8),
                                         uint8_t(code & 0xFF),
                                         0x30,
                                         0xFE};
    PutRfFrame(dm->HidReport, payload, false);
    dm->SendHidReport();
}

void TRfDmxPage::btnRfSetConfClick() {
    TDM* dm = frm->dataModule();
    if (!dm) return;
    const Ui::RemContTrain& u = *trainUi;
    std::array<uint8_t, 14> payload{0xF4, 0xCF, 0x44, 0x39};
    uint8_t repeatFlags = 0;
    const QComboBox* lists[] = {u.cbRc04_1, u.cbRc04_2, u.cbRc04_3, u.cbRc04_4};
    for (size_t i = 0; i < 4; ++i) {
        const tRemoteKey& key = RemoteKeyTable[size_t(std::clamp(lists[i]->currentIndex(), 0, 17))];
        payload[4 + 2 * i] = uint8_t(key.code >> 8);
        payload[5 + 2 * i] = uint8_t(key.code & 0xFF);
        if (key.autoRepeat) repeatFlags |= uint8_t(1u << i);
    }
    payload[12] = repeatFlags;
    payload[13] = uint8_t(u.seRfCh->value());
    PutRfFrame(dm->HidReport, payload, true);
    dm->SendHidReport();
}

void TRfDmxPage::ShowRfDmxConfigControls(bool rfChannel, bool dmxCount, bool mode, bool forward, bool send) {
    const Ui::RfDmxCom& u = *comUi;
    auto show = [](bool visible, std::initializer_list<QWidget*> group) {
        for (QWidget* w : group)
            w->setVisible(visible);
    };
    show(rfChannel, {u.lDmxRfRfCh, u.cbDmxRfConfRfCh, u.lDmxRfRfChMagy});
    show(dmxCount, {u.lNrOfTrChs, u.seDmxRfConfNrDmx, u.lDmxRfDmxChMagy1});
    show(mode,
         {u.lDmxRfMode, u.rbDmxRfConfRep, u.rbDmxRfConfSing, u.lDmxRfConfRepMagy1, u.lDmxRfConfRepMagy2});
    show(false, {u.lDmxRfPow, u.tbDmxRfConfRfPw, u.lDmxRfdBmNums, u.lDmxRfdBm});
    show(forward, {u.btnDmxRfSendConfForw, u.lDmxRfSenButMagy1});
    show(send, {u.btnSendConfRfDmx, u.lDmxRfSenButMagy2});
}

void TRfDmxPage::InterfaceConfigArrived() {
    const bool application = frm->LineState.InterfaceBootInfo[0] != 0;
    const Ui::RfDmxCom& u = *comUi;
    for (QWidget* w :
         std::initializer_list<QWidget*>{u.btnSendConfRfDmx, u.cbDmxRfConfRfCh, u.tbDmxRfConfRfPw,
                                         u.seDmxRfConfNrDmx, u.rbDmxRfConfRep, u.rbDmxRfConfSing})
        w->setEnabled(application);
    if (!application) WarnFirmwareUpdate();
}

void TRfDmxPage::WarnFirmwareUpdate() {
    // The question opens once the report is handled, not inside the input
    // dispatch; answers that repeat meanwhile do not open a second one.
    if (warningPending) return;
    warningPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            warningPending = false;
            TfrmKerdes* question = frm->frmKerdes;
            if (!question || question->isVisible()) return;
            frm->MessageKind = 2;
            question->ShowModal();
        },
        Qt::QueuedConnection);
}

void TRfDmxPage::ShowRfConfig(const THidReport& r) {
    const Ui::RfDmxCom& u = *comUi;
    QStringList refused;
    if (r[1] < u.cbDmxRfConfRfCh->count())
        u.cbDmxRfConfRfCh->setCurrentIndex(r[1]);
    else
        refused << QStringLiteral("RF channel %1").arg(r[1]);
    if (r[2] <= u.tbDmxRfConfRfPw->maximum())
        u.tbDmxRfConfRfPw->setValue(r[2]);
    else
        refused << QStringLiteral("RF power %1").arg(r[2]);
    const int channels = r[4] + r[5] * 256;
    if (channels >= u.seDmxRfConfNrDmx->minimum() && channels <= u.seDmxRfConfNrDmx->maximum())
        u.seDmxRfConfNrDmx->setValue(channels);
    else
        refused << QStringLiteral("DMX channels %1").arg(channels);
    if (r[6] != 0)
        u.rbDmxRfConfRep->setChecked(true);
    else
        u.rbDmxRfConfSing->setChecked(true);
    u.lDmxRfTerero->setText(QString::number(r[7]));
    // Values the controls cannot show leave them as they were.
    if (!refused.isEmpty())
        frm->LogLine(QStringLiteral("RF configuration answer out of range, not shown: ") +
                     refused.join(QStringLiteral(", ")));
}
