#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include "RdmDeviceFixture.h"
#include "app/Kerdes.h"
#include "rdm/rdm_ops.h"

namespace {

using V = std::vector<uint8_t>;

class SetVerify : public RdmDeviceFixture {};

} // namespace

TEST_F(SetVerify, DmxAddressTakenKeptAndAtTheLimits) {
    Find<QSpinBox>("seDmxStartAdrD")->setValue(100);
    EXPECT_TRUE(Find<QPushButton>("btnModDmxAdr")->isEnabled());
    Click("btnModDmxAdr");
    auto req = Requests();
    ASSERT_EQ(req.size(), 2u);
    EXPECT_EQ(req[0].commandClass, 0x30);
    EXPECT_EQ(req[0].pid, 0x00F0);
    EXPECT_EQ(req[0].data, (V{0x00, 0x64}));
    EXPECT_EQ(req[1].commandClass, 0x20);
    EXPECT_EQ(req[1].pid, 0x00F0);
    EXPECT_TRUE(req[1].data.empty());
    EXPECT_EQ(Log(),
              (QStringList{"Send new dmx address (100) to: 7FF3:00000001 - 0", "Dmx address modified"}));
    EXPECT_EQ(Rec().dmxStartAddress, 100);
    EXPECT_FALSE(Find<QPushButton>("btnModDmxAdr")->isEnabled());
    EXPECT_EQ(dm->RdmGlobals().RdmPendingOp, 0);

    // The device keeps its address: the record and the spin edit show what it holds.
    ClearLog();
    behaviour1.setModes[0x00F0] = SimSetMode::KeepAck;
    Find<QSpinBox>("seDmxStartAdrD")->setValue(200);
    Click("btnModDmxAdr");
    EXPECT_EQ(Log().last(), "Dmx address can not be modified");
    EXPECT_EQ(Rec().dmxStartAddress, 100);
    EXPECT_EQ(Find<QSpinBox>("seDmxStartAdrD")->value(), 100);
    EXPECT_FALSE(Find<QPushButton>("btnModDmxAdr")->isEnabled());

    // The ends of the spin edit's range.
    behaviour1.setModes[0x00F0] = SimSetMode::Take;
    for (auto [address, hi, lo] : {std::tuple{0, 0x00, 0x00}, std::tuple{512, 0x02, 0x00}}) {
        ClearLog();
        Find<QSpinBox>("seDmxStartAdrD")->setValue(address);
        Click("btnModDmxAdr");
        ASSERT_FALSE(Requests().empty());
        EXPECT_EQ(Requests()[0].data, (V{uint8_t(hi), uint8_t(lo)}));
        EXPECT_EQ(Rec().dmxStartAddress, address);
        EXPECT_EQ(Log().last(), "Dmx address modified");
    }
}

TEST_F(SetVerify, EveryVerifiedParameterTakenOrRefused) {
    struct Case {
        const char *button, *input;
        int value; // an item index or a spin-edit value
        uint16_t pid;
        const char *what, *sendText;
        V data;
    };
    // clang-format off
    const Case cases[] = {
        {"btnDispInv", "cbDispInv", 2, 0x0500, "Display invert", "Send new display invert: ", {2}},
        {"btnDispLevel", "seDispLevel", 37, 0x0501, "Display level", "Send new display level: ", {37}},
        {"btnModLampHours", "seLampHours", 16777215, 0x0401, "Lamp hours", "Send new lamp hours: ", {0, 0xFF, 0xFF, 0xFF}},
        {"btnModDevPowCyc", "seDevPowCyc", 70000, 0x0405, "Device power cycles", "Send new device power cycles: ", {0, 0x01, 0x11, 0x70}},
        {"btnModLampState", "cbLampState", 3, 0x0403, "Lamp state", "Send new lamp state: ", {3}},
        {"btnModLampOnMode", "cbLampOnMode", 1, 0x0404, "Lamp on mode", "Send new lamp on mode: ", {1}},
        {"btnPanInv", "cbPanInv", 1, 0x0600, "PAN invert", "Send new PAN invert: ", {1}},
        {"btnTiltInv", "cbTiltInv", 1, 0x0601, "TILT invert", "Send new TILT invert: ", {1}},
        {"btnPTSwap", "cbPTSwap", 1, 0x0602, "PAN TILT swap", "Send new PAN TILT swap: ", {1}},
        {"btnModPowState", "cbPowState", 2, 0x1010, "Power state", "Send new power state to: ", {2}},
    };
    // clang-format on
    for (const Case& c : cases) {
        for (SimSetMode mode : {SimSetMode::Take, SimSetMode::KeepAck}) {
            SCOPED_TRACE(std::string(c.button) + (mode == SimSetMode::Take ? " taken" : " kept"));
            // Taken values go to device 1, refused ones to device 2, each from its first state.
            const bool take = mode == SimSetMode::Take;
            Select(take ? 1 : 2);
            ClearLog();
            (take ? behaviour1 : behaviour2).setModes[c.pid] = mode;
            if (auto* combo = w->findChild<QComboBox*>(c.input))
                combo->setCurrentIndex(c.value);
            else
                Find<QSpinBox>(c.input)->setValue(c.value);
            EXPECT_TRUE(Find<QPushButton>(c.button)->isEnabled()); // the enabler
            Click(c.button);
            auto req = Requests();
            ASSERT_EQ(req.size(), 2u);
            EXPECT_EQ(req[0].commandClass, 0x30);
            EXPECT_EQ(req[0].pid, c.pid);
            EXPECT_EQ(req[0].data, c.data);
            EXPECT_EQ(req[1].commandClass, 0x20);
            EXPECT_EQ(req[1].pid, c.pid);
            const QString verdict = QString::fromLatin1(c.what) +
                                    (mode == SimSetMode::Take ? " modified" : " can not be modified");
            const QString uid = take ? "7FF3:00000001 - 0" : "7FF3:00000002 - 0";
            EXPECT_EQ(Log(), (QStringList{QString::fromLatin1(c.sendText) + uid, verdict}));
            EXPECT_EQ(dm->RdmGlobals().RdmPendingOp, 0);
            EXPECT_FALSE(Find<QPushButton>(c.button)->isEnabled());
        }
    }
    // The taken values are in the first record, the refused ones went back into the second.
    EXPECT_EQ(Rec(1).lampHours, 16777215u);
    EXPECT_EQ(Rec(1).displayLevel, 37);
    EXPECT_EQ(Rec(2).lampHours, 10u);
    EXPECT_EQ(Rec(2).displayLevel, 100);
    EXPECT_EQ(Rec(2).powerState, 0xFF);
}

TEST_F(SetVerify, NackSilenceAndTheFFBytes) {
    behaviour1.setModes[0x0403] = SimSetMode::KeepNack;
    Find<QComboBox>("cbLampState")->setCurrentIndex(1);
    Click("btnModLampState");
    auto req = Requests();
    ASSERT_EQ(req.size(), 2u);
    EXPECT_EQ(req[1].commandClass, 0x20);
    EXPECT_EQ(req[1].pid, 0x0403);
    EXPECT_EQ(Log().last(), "Lamp state can not be modified");
    EXPECT_EQ(Rec().lampState, 0);

    // The combo shows no selection; the still enabled button then sends 0xFF.
    ClearLog();
    Find<QComboBox>("cbLampState")->setCurrentIndex(1);
    Click("btnModLampState");
    EXPECT_EQ(Find<QComboBox>("cbLampState")->currentIndex(), -1);
    ClearLog();
    Find<QPushButton>("btnModLampState")->setEnabled(true);
    Click("btnModLampState");
    ASSERT_FALSE(Requests().empty());
    EXPECT_EQ(Requests()[0].data, V{0xFF});

    // Power state "NORMAL" and "out of range" both send 0xFF.
    Rec().powerState = 0x03; // shows "out of range" as a fifth item
    Select(1);
    ASSERT_EQ(Find<QComboBox>("cbPowState")->count(), 5);
    for (int index : {3, 4}) {
        ClearLog();
        Find<QComboBox>("cbPowState")->setCurrentIndex(index);
        Click("btnModPowState");
        ASSERT_FALSE(Requests().empty());
        EXPECT_EQ(Requests()[0].data, V{0xFF});
    }

    // A device that stays silent: no verdict, the operation stays pending.
    ClearLog();
    behaviour1.setModes[0x0501] = SimSetMode::Silent;
    Find<QSpinBox>("seDispLevel")->setValue(7);
    Click("btnDispLevel");
    EXPECT_EQ(Requests().size(), 1u);
    EXPECT_EQ(Log(), QStringList{"Send new display level: 7FF3:00000001 - 0"});
    EXPECT_EQ(dm->RdmGlobals().RdmPendingOp, RdmOpDisplayLevel);
}

TEST_F(SetVerify, DeviceLabelComparedAfterReadBack) {
    Find<QLineEdit>("eDeviceLabel")->setText("Truss 3");
    Click("btnModDevLab");
    auto req = Requests();
    ASSERT_EQ(req.size(), 2u);
    EXPECT_EQ(req[0].data, (V{'T', 'r', 'u', 's', 's', ' ', '3'}));
    EXPECT_EQ(Log(), (QStringList{"Send new device label (Truss 3) to: 7FF3:00000001 - 0",
                                  "Device label modified"}));
    EXPECT_EQ(Rec().deviceLabel, "Truss 3");
    EXPECT_EQ(NodeAt(tree, 1)->text(0), "Truss 3");
    EXPECT_FALSE(Find<QPushButton>("btnModDevLab")->isEnabled());

    // A device that pads its label with zero bytes still took it.
    ClearLog();
    behaviour1.setModes[0x0082] = SimSetMode::KeepAck;
    dev1.values[0x0082] = {'A', 'B', 0, 0};
    Find<QLineEdit>("eDeviceLabel")->setText("AB");
    Click("btnModDevLab");
    EXPECT_EQ(Log().last(), "Device label modified");

    // A device that keeps its old label: the failure is reported, not hidden.
    ClearLog();
    Find<QLineEdit>("eDeviceLabel")->setText("Somewhere else");
    Click("btnModDevLab");
    EXPECT_EQ(Log().last(), "Device label can not be modified");
    EXPECT_TRUE(Rec().deviceLabel.startsWith("AB"));
    EXPECT_TRUE(Find<QLineEdit>("eDeviceLabel")->text().startsWith("AB"));

    // An empty label goes out with no data and is stored empty.
    ClearLog();
    behaviour1.setModes[0x0082] = SimSetMode::Take;
    Find<QLineEdit>("eDeviceLabel")->setText("");
    Click("btnModDevLab");
    ASSERT_FALSE(Requests().empty());
    EXPECT_TRUE(Requests()[0].data.empty());
    EXPECT_EQ(Rec().deviceLabel, "");
    EXPECT_EQ(Log().last(), "Device label modified");
}

TEST_F(SetVerify, FactoryDefaultsDoneOnlyWhenTheDeviceSaysSo) {
    w->frmKerdes->setAnswerer([](TModalDialog& d) { d.accept(); });
    for (int readBack : {0, 5}) {
        ClearLog();
        behaviour1.factoryDefaultsReadBack = uint8_t(readBack);
        Click("btnSetFactDef");
        EXPECT_EQ(w->MessageKind, 1);
        auto req = Requests();
        ASSERT_EQ(req.size(), 2u);
        EXPECT_EQ(req[0].pid, 0x0090);
        EXPECT_EQ(req[0].commandClass, 0x30);
        EXPECT_TRUE(req[0].data.empty());
        EXPECT_EQ(req[1].pid, 0x0090);
        EXPECT_EQ(req[1].commandClass, 0x20);
        EXPECT_EQ(Log(), (QStringList{"Set factory defaults in: 7FF3:00000001 - 0",
                                      "Factory default can not be done"}))
            << readBack;
        EXPECT_EQ(dm->RdmGlobals().RdmPendingOp, 0);
    }

    // Done: the device is read again, so the page shows its default address,
    // not the one it had before.
    Find<QSpinBox>("seDmxStartAdrD")->setValue(100);
    Click("btnModDmxAdr");
    ClearLog();
    behaviour1.factoryDefaultsReadBack.reset();
    behaviour1.factoryValues[0x00F0] = {0, 1};
    Click("btnSetFactDef");
    auto req = Requests();
    ASSERT_GT(req.size(), 3u);
    EXPECT_EQ(req[2].commandClass, 0x20);
    EXPECT_EQ(req[2].pid, 0x0060);
    for (const SeenRequest& r : req)
        EXPECT_EQ(r.destination, Uid1);
    EXPECT_EQ(Log().mid(0, 2),
              (QStringList{"Set factory defaults in: 7FF3:00000001 - 0", "Factory default done"}));
    EXPECT_EQ(Log().last(), "Process ready");
    EXPECT_EQ(Rec().dmxStartAddress, 1);
    EXPECT_EQ(Find<QSpinBox>("seDmxStartAdrD")->value(), 1);
    EXPECT_EQ(dm->RdmGlobals().AwaitingAnswer, 0);

    ClearLog();
    w->frmKerdes->setAnswerer([](TModalDialog& d) { d.reject(); });
    Click("btnSetFactDef");
    EXPECT_TRUE(Requests().empty());
    EXPECT_TRUE(Log().isEmpty());
}

TEST_F(SetVerify, ResetAsksForItsKind) {
    dm->RdmGlobals().RdmPendingOp = RdmOpIdentify;
    for (auto [radio, byte] : {std::pair{"rbWarm", 0x01}, std::pair{"rbCold", 0xFF}}) {
        ClearLog();
        w->frmKerdes->setAnswerer([radio = radio](TModalDialog& d) {
            auto* ok = d.findChild<QPushButton*>("btnOk");
            EXPECT_FALSE(ok->isEnabled()); // OK waits for the kind of reset
            d.findChild<QRadioButton*>(radio)->click();
            ok->click();
        });
        Click("btnReset");
        EXPECT_EQ(w->MessageKind, 3);
        ASSERT_EQ(Requests().size(), 1u);
        EXPECT_EQ(Requests()[0].pid, 0x1001);
        EXPECT_EQ(Requests()[0].data, V{uint8_t(byte)});
        EXPECT_EQ(Log().first(), "Set RESET in: 7FF3:00000001 - 0");
    }
    EXPECT_EQ(behaviour1.resets, (V{0x01, 0xFF}));
    EXPECT_EQ(dm->RdmGlobals().RdmPendingOp, RdmOpIdentify); // reset leaves the pending operation

    ClearLog();
    w->frmKerdes->setAnswerer([](TModalDialog& d) { d.findChild<QPushButton*>("btnMegsem")->click(); });
    Click("btnReset");
    EXPECT_TRUE(Requests().empty());
    EXPECT_TRUE(Log().isEmpty());
}

TEST_F(SetVerify, IdentifyTogglesWithItsCaption) {
    auto* button = Find<QPushButton>("btnIdentify");
    EXPECT_EQ(button->text(), "Identify START");
    Click("btnIdentify");
    EXPECT_EQ(button->text(), "Identify STOP");
    Click("btnIdentify");
    EXPECT_EQ(button->text(), "Identify START");
    auto req = Requests();
    ASSERT_EQ(req.size(), 2u);
    EXPECT_EQ(req[0].pid, 0x1000);
    EXPECT_EQ(req[0].data, V{0x01});
    EXPECT_EQ(req[1].data, V{0x00});
    EXPECT_EQ(Log(), (QStringList{"Identify START: 7FF3:00000001 - 0", "Identify STOP: 7FF3:00000001 - 0"}));
    EXPECT_EQ(Rec().identify, 0);
}

TEST_F(SetVerify, QuietIdentifyOnMouseReleaseOnly) {
    auto* box = Find<QCheckBox>("cbQuietIdentify");
    ASSERT_TRUE(box->isEnabled());
    ASSERT_FALSE(box->isChecked()); // identify mode 0xFF: loud
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Space);
    Settle();
    EXPECT_TRUE(box->isChecked());
    EXPECT_TRUE(Requests().empty());

    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    Settle();
    EXPECT_FALSE(box->isChecked());
    auto req = Requests();
    ASSERT_EQ(req.size(), 2u); // the SET and its verifying GET
    EXPECT_EQ(req[0].pid, 0x1040);
    EXPECT_EQ(req[0].data, V{0xFF});
    EXPECT_EQ(Log(), (QStringList{"Send new identify mode to: 7FF3:00000001 - 0", "Identify mode modified"}));

    // A release without a press sends the unchanged state again.
    ClearLog();
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    Settle();
    ASSERT_FALSE(Requests().empty());
    EXPECT_EQ(Requests()[0].data, V{0xFF});
}

TEST_F(SetVerify, PersonalityChangeReadsTheDeviceAgain) {
    Find<QComboBox>("cbPersonality")->setCurrentIndex(1);
    Click("btnModDmxPers");
    auto req = Requests();
    ASSERT_GE(req.size(), 2u);
    EXPECT_EQ(req[0].pid, 0x00E0);
    EXPECT_EQ(req[0].data, V{2});
    EXPECT_EQ(req[1].commandClass, 0x20);
    EXPECT_EQ(req[1].pid, 0x0060);
    for (const SeenRequest& r : req)
        EXPECT_EQ(r.destination, Uid1); // the other device is not asked
    EXPECT_EQ(Log().mid(0, 2),
              (QStringList{"Send new dmx personality to: 7FF3:00000001 - 0", "New dmx personality set"}));
    EXPECT_EQ(Rec().currentPersonality, 2);
    EXPECT_EQ(Rec(2).currentPersonality, 1);

    // The device is read again to its end, and only that device.
    EXPECT_GT(req.size(), 4u);
    EXPECT_EQ(Log().last(), "Process ready");
    EXPECT_EQ(dev2.received.size(), 0u);
    EXPECT_EQ(dm->RdmGlobals().AwaitingAnswer, 0);
    EXPECT_EQ(view->RdmCurrentNode(), 1);
    EXPECT_EQ(dev1.values[0x0060][12], 2);  // the device took the personality
    EXPECT_EQ(Rec().currentPersonality, 2); // and said so in DEVICE_INFO
}

TEST_F(SetVerify, MakerChainsSetAddressAndPersonality) {
    struct Chain {
        uint8_t op, personality;
        std::vector<std::pair<const char*, bool>> mode; // buttons set before the chain starts
    };
    const Chain chains[] = {
        {RdmOpKelvarSetup, 1, {{"rbModeDmx", true}}},
        {RdmOpKelvarSetup, 2, {{"rbModeMaster", true}}},
        {RdmOpQ7Setup, 3, {{"rbRdmSpecQ7ModeSing", true}, {"cbRdmSpecQ7ModePrior", false}}},
        {RdmOpQ7Setup, 2, {{"rbRdmSpecQ7ModeSing", true}, {"cbRdmSpecQ7ModePrior", true}}},
        {RdmOpQ7Setup, 4, {{"rbRdmSpecQ7ModeMast", true}}},
        {RdmOpQ9SubSetup, 1, {{"rbRdmSpecQ9SubModeDmx", true}}},
        {RdmOpQ9SubSetup, 3, {{"rbRdmSpecQ9SubModeSingle", true}, {"cbRdmSpecQ9SubModePrior", false}}},
    };
    for (const Chain& c : chains) {
        const uint16_t pid = c.op == RdmOpKelvarSetup ? 0x8000 : 0x8004;
        const char* address = c.op == RdmOpKelvarSetup ? "seRdmSpecDmxAdr"
                              : c.op == RdmOpQ7Setup   ? "seRdmSpecQ7DmxAdr"
                                                       : "seRdmSpecQ9SubDmxAdr";
        SCOPED_TRACE(address + std::to_string(c.personality));
        ClearLog();
        for (auto [name, on] : c.mode)
            Find<QAbstractButton>(name)->setChecked(on);
        Find<QSpinBox>(address)->setValue(37);
        RdmState& st = dm->RdmGlobals();
        st.RdmPendingOp = c.op;
        st.AwaitingAnswer = 1;
        st.RdmCurrentPid = pid;
        dm->SendRdmRequest(0, 0x30, Uid1, pid, 1, st.RdmParamData, 0x40);
        Settle();
        auto req = Requests();
        ASSERT_GE(req.size(), 4u);
        EXPECT_EQ(req[1].pid, 0x00F0);
        EXPECT_EQ(req[1].commandClass, 0x30);
        EXPECT_EQ(req[1].data, (V{0, 37}));
        EXPECT_EQ(req[2].pid, 0x00E0);
        EXPECT_EQ(req[2].data, V{c.personality});
        EXPECT_EQ(req[3].pid, 0x0060);
        EXPECT_EQ(req[3].commandClass, 0x20);
        EXPECT_EQ(Log().mid(0, 3),
                  (QStringList{"Send new dmx address (37) to: 7FF3:00000001",
                               "Send new dmx personality to: 7FF3:00000001", "New dmx personality set"}));
    }
}

TEST_F(SetVerify, DemoModeChangesOnlyRecordsAndViews) {
    view->DemoMode = 1;
    const int questions = w->frmKerdes->timesShown();
    Find<QComboBox>("cbLampState")->setCurrentIndex(1);
    Find<QSpinBox>("seLampHours")->setValue(99);
    Find<QComboBox>("cbPowState")->setCurrentIndex(0);
    for (const char* b : {"btnModLampState", "btnModLampHours", "btnModPowState", "btnIdentify",
                          "btnSetFactDef", "btnReset", "btnDispLevel", "btnPanInv"}) {
        Find<QPushButton>(b)->setEnabled(true);
        Click(b);
    }
    EXPECT_TRUE(Requests().empty());
    EXPECT_TRUE(Log().isEmpty());
    EXPECT_EQ(w->frmKerdes->timesShown(), questions); // no question in demo mode
    EXPECT_EQ(Rec().lampState, 0);
    EXPECT_EQ(Rec().lampHours, 10u);
    EXPECT_EQ(Find<QPushButton>("btnIdentify")->text(), "Identify START");

    // Address: the record only, its button disabled, no line.
    Find<QSpinBox>("seDmxStartAdrD")->setValue(300);
    Click("btnModDmxAdr");
    EXPECT_EQ(Rec().dmxStartAddress, 300);
    EXPECT_FALSE(Find<QPushButton>("btnModDmxAdr")->isEnabled());
    EXPECT_TRUE(Log().isEmpty());

    // Personality: a footprint of 0 takes the address away; the line is written.
    Find<QComboBox>("cbPersonality")->setCurrentIndex(1);
    Click("btnModDmxPers");
    EXPECT_EQ(Rec().currentPersonality, 2);
    EXPECT_EQ(Rec().dmxStartAddress, 0);
    EXPECT_EQ(Find<QSpinBox>("seDmxStartAdrD")->value(), 0); // the page was redrawn
    Find<QComboBox>("cbPersonality")->setCurrentIndex(0);
    Click("btnModDmxPers");
    EXPECT_EQ(Rec().dmxStartAddress, 1);

    // Label: the node shows it, or the model description when it is empty.
    Find<QLineEdit>("eDeviceLabel")->setText("Demo spot");
    Click("btnModDevLab");
    EXPECT_EQ(NodeAt(tree, 1)->text(0), "Demo spot");
    Find<QLineEdit>("eDeviceLabel")->setText("");
    Click("btnModDevLab");
    EXPECT_EQ(NodeAt(tree, 1)->text(0), "Spot 575");
    EXPECT_FALSE(Find<QPushButton>("btnModDevLab")->isEnabled());
    EXPECT_EQ(Log(), (QStringList{"Send new dmx personality to: 7FF3:00000001 - 0",
                                  "Send new dmx personality to: 7FF3:00000001 - 0",
                                  "Send new device label (Demo spot) to: 7FF3:00000001 - 0",
                                  "Send new device label () to: 7FF3:00000001 - 0"}));
    EXPECT_TRUE(Requests().empty());

    // The quiet-identify box is the one command that still sends.
    auto* box = Find<QCheckBox>("cbQuietIdentify");
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    Settle();
    ASSERT_FALSE(Requests().empty());
    EXPECT_EQ(Requests()[0].pid, 0x1040);
}
