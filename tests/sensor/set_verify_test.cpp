#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <gmock/gmock.h>

#include <QLabel>
#include <functional>

#include "RdmDeviceFixture.h"
#include "app/Kerdes.h"
#include "rdm/rdm_ops.h"
#include "views/dmx_channel_map.h"

namespace {

using Reqs = std::vector<Req>;
using ::testing::Each;

class SetVerify : public RdmDeviceFixture {
protected:
    // Chooses a new value and clicks the button that sends it.
    void Modify(const char* input, int value, const char* button) {
        Set(input, value);
        Click(button);
    }
    void ModifyLabel(const QString& label) {
        Find<QLineEdit>("eDeviceLabel")->setText(label);
        Click("btnModDevLab");
    }
    void MouseClick(QWidget* widget) {
        QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(5, widget->height() / 2));
        Settle();
    }
};

} // namespace

// Taken values go to device 1, refused ones to device 2, each from its first state.
TEST_F(SetVerify, EveryVerifiedParameterTakenOrRefused) {
    struct Case {
        const char *button, *input;
        int value; // an item index or a spin-edit value
        uint16_t pid;
        const char *what, *sendText;
        Data data;
    };
    // clang-format off
    const Case cases[] = {
        {"btnModDmxAdr", "seDmxStartAdrD", 100, 0x00F0, "Dmx address", "Send new dmx address (100) to: ", {0, 100}},
        {"btnModDmxAdr", "seDmxStartAdrD", 0, 0x00F0, "Dmx address", "Send new dmx address (0) to: ", {0, 0}},
        {"btnModDmxAdr", "seDmxStartAdrD", 512, 0x00F0, "Dmx address", "Send new dmx address (512) to: ", {2, 0}},
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
        for (bool take : {true, false}) {
            SCOPED_TRACE(std::string(c.button) + (take ? " taken " : " kept ") + std::to_string(c.value));
            Select(take ? 1 : 2);
            ClearLog();
            (take ? behaviour1 : behaviour2).setModes[c.pid] = take ? SimSetMode::Take : SimSetMode::KeepAck;
            Set(c.input, c.value);
            EXPECT_TRUE(Find<QPushButton>(c.button)->isEnabled()); // the enabler
            Click(c.button);
            EXPECT_EQ(Sent(), (Reqs{{0x30, c.pid, c.data}, {0x20, c.pid, {}}}));
            EXPECT_EQ(Log(),
                      (QStringList{c.sendText + QString(take ? "7FF3:00000001 - 0" : "7FF3:00000002 - 0"),
                                   c.what + QString(take ? " modified" : " can not be modified")}));
            EXPECT_EQ(dm->RdmGlobals().RdmPendingOp, 0);
            EXPECT_FALSE(Find<QPushButton>(c.button)->isEnabled());
            if (c.pid == 0x00F0) { // a kept address puts the record and the spin edit back to 1
                EXPECT_EQ(Rec(take ? 1 : 2).dmxStartAddress, take ? c.value : 1);
                EXPECT_EQ(Find<QSpinBox>("seDmxStartAdrD")->value(), take ? c.value : 1);
            }
        }
    }
    EXPECT_EQ(Rec(1).lampHours, 16777215u);
    EXPECT_EQ(Rec(2).lampHours, 10u); // the refused value went back into the record
}

TEST_F(SetVerify, NackSilenceAndTheFFBytes) {
    behaviour1.setModes[0x0403] = SimSetMode::KeepNack;
    Modify("cbLampState", 1, "btnModLampState");
    EXPECT_EQ(Sent(), (Reqs{{0x30, 0x0403, {1}}, {0x20, 0x0403, {}}})); // the GET follows the NACK
    EXPECT_EQ(Log().last(), "Lamp state can not be modified");
    EXPECT_EQ(Rec().lampState, 0);
    // The combo shows no selection; the still enabled button then sends 0xFF.
    EXPECT_EQ(Find<QComboBox>("cbLampState")->currentIndex(), -1);
    ClearLog();
    Find<QPushButton>("btnModLampState")->setEnabled(true);
    Click("btnModLampState");
    EXPECT_EQ(FirstData(), Data{0xFF});

    // Power state "NORMAL" and "out of range" (a fifth item for an unknown state) both send 0xFF.
    Rec().powerState = 0x03;
    Select(1);
    ASSERT_EQ(Find<QComboBox>("cbPowState")->count(), 5);
    for (int index : {3, 4}) {
        ClearLog();
        Modify("cbPowState", index, "btnModPowState");
        EXPECT_EQ(FirstData(), Data{0xFF}) << index;
    }

    // A device that stays silent: no verdict, and the operation ends unanswered.
    ClearLog();
    behaviour1.setModes[0x0501] = SimSetMode::Silent;
    Modify("seDispLevel", 7, "btnDispLevel");
    EXPECT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Log(), QStringList{"Send new display level: 7FF3:00000001 - 0"});
    EXPECT_EQ(dm->RdmGlobals().RdmPendingOp, RdmOpNone);
}

TEST_F(SetVerify, DeviceLabelComparedAfterReadBack) {
    ModifyLabel("Truss 3");
    EXPECT_EQ(Sent(), (Reqs{{0x30, 0x0082, {'T', 'r', 'u', 's', 's', ' ', '3'}}, {0x20, 0x0082, {}}}));
    EXPECT_EQ(Log(), (QStringList{"Send new device label (Truss 3) to: 7FF3:00000001 - 0",
                                  "Device label modified"}));
    EXPECT_EQ(Rec().deviceLabel, "Truss 3");
    EXPECT_EQ(NodeAt(tree, 1)->text(0), "Truss 3");

    // A device padding its label with zero bytes took it; one keeping its old label did not.
    behaviour1.setModes[0x0082] = SimSetMode::KeepAck;
    dev1.values[0x0082] = {'A', 'B', 0, 0};
    for (auto [label, verdict] : {std::pair{"AB", "Device label modified"},
                                  std::pair{"Somewhere else", "Device label can not be modified"}}) {
        ClearLog();
        ModifyLabel(label);
        EXPECT_EQ(Log().last(), verdict);
    }
    EXPECT_TRUE(Rec().deviceLabel.startsWith("AB"));
    EXPECT_TRUE(Find<QLineEdit>("eDeviceLabel")->text().startsWith("AB"));

    // An empty label goes out with no data and is stored empty.
    ClearLog();
    behaviour1.setModes[0x0082] = SimSetMode::Take;
    ModifyLabel("");
    EXPECT_EQ(FirstData(), Data{});
    EXPECT_EQ(Rec().deviceLabel, "");
    EXPECT_EQ(Log().last(), "Device label modified");
}

// A device that acknowledges a SET but does not read the value back has not
// said that it took it: the record, the page and the channel map go back to
// the value it had.
TEST_F(SetVerify, RefusedReadBackKeepsTheValueFromBefore) {
    TDmxChannelMap* map = TDmxChannelMap::of(w);
    ASSERT_NE(map, nullptr);
    auto mouseAt = [](int channel) {
        return QPoint((channel - 1) % 22 * 22 + 5, (channel - 1) / 22 * 17 + 5);
    };
    auto drag = [&](int from, int to) {
        map->StringGrid1MouseDown(mouseAt(from).x(), mouseAt(from).y());
        map->StringGrid1MouseMove(mouseAt(to).x(), mouseAt(to).y());
        map->StringGrid1MouseUp();
        Settle();
    };
    auto addressKept = [&] {
        EXPECT_EQ(Rec().dmxStartAddress, 10);
        EXPECT_EQ(Find<QSpinBox>("seDmxStartAdrD")->value(), 10);
        EXPECT_EQ(w->DmxChannelMap[9].device, 2); // channels 10..13 belong to node 1
        EXPECT_EQ(w->DmxChannelMap[76].device, 0);
    };
    struct Param {
        const char* name;
        uint16_t pid;
        std::function<void()> send, expectKept;
        const char* verdict;
    };
    // clang-format off
    const Param params[] = {
        {"address", 0x00F0, [&] { Modify("seDmxStartAdrD", 77, "btnModDmxAdr"); }, addressKept,
         "Dmx address can not be modified"},
        {"dragged address", 0x00F0, [&] { drag(10, 77); }, addressKept, "Dmx address can not be modified"},
        {"label", 0x0082, [&] { ModifyLabel("Truss 3"); },
         [&] {
             EXPECT_EQ(Rec().deviceLabel, "Stage left");
             EXPECT_EQ(Find<QLineEdit>("eDeviceLabel")->text(), "Stage left");
         },
         "Device label can not be modified"},
        {"lamp state", 0x0403, [&] { Modify("cbLampState", 3, "btnModLampState"); },
         [&] {
             EXPECT_EQ(Rec().lampState, 1);
             EXPECT_EQ(Find<QLabel>("lLampState")->text(), " LAMP ON");
         },
         "Lamp state can not be modified"},
        {"lamp hours", 0x0401, [&] { Modify("seLampHours", 500, "btnModLampHours"); },
         [&] {
             EXPECT_EQ(Rec().lampHours, 10u);
             EXPECT_EQ(Find<QSpinBox>("seLampHours")->value(), 10);
         },
         "Lamp hours can not be modified"},
    };
    // clang-format on
    const std::pair<SimReadBack, const char*> refusals[] = {
        {SimReadBack::Nack, "NACK"}, {SimReadBack::AckTimer, "ACK_TIMER"}, {SimReadBack::Short, "short"}};
    for (auto [refusal, refusalName] : refusals) {
        for (const Param& p : params) {
            if (p.pid == 0x0082 && refusal == SimReadBack::Short) continue; // a label of any length is one
            SCOPED_TRACE(std::string(p.name) + " " + refusalName);
            dev1.SetDeviceInfo(0x0042, 0x0101, 1, 2, 10, 0, 0, 4);
            dev1.values[0x0403] = {1};
            Rec().dmxStartAddress = 10;
            Rec().lampState = 1;
            Rec().lampHours = 10;
            Rec().deviceLabel = "Stage left";
            Select(1);
            view->hooks.BuildDmxChannelMap();
            behaviour1.setModes[p.pid] = SimSetMode::KeepAck;
            behaviour1.readBacks[p.pid] = refusal;
            ClearLog();
            p.send();
            const Reqs sent = Sent();
            ASSERT_EQ(sent.size(), 2u);
            EXPECT_EQ(sent[1], (Req{0x20, p.pid, {}}));
            EXPECT_EQ(Log().last(), p.verdict);
            EXPECT_EQ(dm->RdmGlobals().RdmPendingOp, 0);
            p.expectKept();
        }
    }
}

// A refused reading again says nothing about the device: its record keeps all
// it held, and the page still offers its personalities with the old one chosen.
TEST_F(SetVerify, RefusedReadingAgainKeepsThePersonalityFromBefore) {
    const std::pair<SimReadBack, const char*> refusals[] = {
        {SimReadBack::Nack, "NACK"}, {SimReadBack::Short, "short"}, {SimReadBack::AckTimer, "ACK_TIMER"}};
    behaviour1.setModes[0x00E0] = SimSetMode::KeepAck;
    behaviour1.sensors.resize(1);
    for (auto [refusal, name] : refusals) {
        SCOPED_TRACE(name);
        dev1.SetDeviceInfo(0x0042, 0x0101, 1, 2, 10, 1, 1, 4);
        behaviour1.PublishSensors();
        Rec().deviceModelId = 0x0042;
        Rec().currentPersonality = 1;
        Rec().personalityCount = 2;
        Rec().subDeviceCount = 1;
        Rec().sensorCount = 1;
        Select(1);
        behaviour1.readBacks[0x0060] = refusal;
        ClearLog();
        Modify("cbPersonality", 1, "btnModDmxPers");
        EXPECT_EQ(Log().filter("Dmx personality can not be modified").size(), 1);
        EXPECT_EQ(Log().last(), "Process ready");
        EXPECT_EQ(Rec().currentPersonality, 1);
        EXPECT_EQ(Rec().deviceModelId, 0x0042);
        EXPECT_EQ(Rec().personalityCount, 2);
        EXPECT_EQ(Rec().sensorCount, 1);
        EXPECT_EQ(Rec().subDeviceCount, 1);
        auto* personalities = Find<QComboBox>("cbPersonality");
        ASSERT_EQ(personalities->count(), 2);
        EXPECT_EQ(personalities->itemText(0), "1. - 4 ch - 4 channel");
        EXPECT_EQ(personalities->itemText(1), "2. - 0 ch - stand alone");
        EXPECT_EQ(personalities->currentIndex(), 0);
    }

    // Read back whole, the device's own answer decides, and says nothing more.
    behaviour1.readBacks.clear();
    dev1.SetDeviceInfo(0x0042, 0x0101, 1, 2, 10, 0, 0, 4);
    Rec().personalityCount = 2;
    Select(1);
    ClearLog();
    Modify("cbPersonality", 1, "btnModDmxPers");
    EXPECT_TRUE(Log().filter("can not be modified").isEmpty());
    EXPECT_EQ(Rec().currentPersonality, 1);
}

// A second SET before the first was verified: the device's value is still the
// one from before the first.
TEST_F(SetVerify, RefusedReadBackAfterAnUnverifiedSet) {
    behaviour1.setModes[0x0401] = SimSetMode::Silent;
    Modify("seLampHours", 500, "btnModLampHours");
    ASSERT_EQ(Sent().size(), 1u); // unanswered, and given up
    behaviour1.setModes[0x0401] = SimSetMode::KeepAck;
    behaviour1.readBacks[0x0401] = SimReadBack::Nack;
    Modify("seLampHours", 600, "btnModLampHours");
    EXPECT_EQ(Log().last(), "Lamp hours can not be modified");
    EXPECT_EQ(Rec().lampHours, 10u);
    EXPECT_EQ(Find<QSpinBox>("seLampHours")->value(), 10);
}

// What a refused read-back puts back is the value the device last gave (or
// had verified), whatever happened between the SETs.
TEST_F(SetVerify, RefusedReadBackPutsBackTheDevicesLastKnownValue) {
    // The device's DEVICE_INFO answer to its first reading again is held back
    // until the test lets it go.
    auto holdReadingAgain = std::make_shared<bool>(false);
    dev1.extension = [this, holdReadingAgain, extension = dev1.extension](
                         SimRdmResponder& r, uint8_t cc, uint16_t pid, std::span<const uint8_t> data) {
        if (cc == 0x20 && pid == 0x0060 && std::exchange(*holdReadingAgain, false)) box->HoldInput(true);
        return extension(r, cc, pid, data);
    };
    auto refuseLampHours = [&] {
        behaviour1.setModes[0x0401] = SimSetMode::KeepAck;
        behaviour1.readBacks[0x0401] = SimReadBack::Nack;
        Modify("seLampHours", 600, "btnModLampHours");
        EXPECT_EQ(Log().last(), "Lamp hours can not be modified");
    };
    struct Row {
        const char* name;
        std::function<void()> run, expect;
    };
    // clang-format off
    const Row rows[] = {
        {"personality sent again while the device is read again",
         [&] {
             behaviour1.setModes[0x00E0] = SimSetMode::KeepAck;
             behaviour1.readBacks[0x0060] = SimReadBack::AckTimer;
             *holdReadingAgain = true;
             Modify("cbPersonality", 1, "btnModDmxPers");
             ASSERT_EQ(box->HeldCount(), 1);
             ASSERT_EQ(dm->RdmGlobals().RdmPendingOp, RdmOpScan);
             Modify("cbPersonality", 2, "btnModDmxPers");
             box->HoldInput(false);
             box->ReleaseInput();
             Settle();
         },
         [&] {
             EXPECT_EQ(Rec().currentPersonality, 1);
             EXPECT_FALSE(Log().filter("Dmx personality can not be modified").isEmpty());
             // The second SET waits for nothing: it is not sent while the device is read.
             EXPECT_EQ(Log().filter("Dmx personality not sent, the device is being read: 7FF3:00000001 - 0").size(), 1);
         }},
        {"lamp hours sent again after another parameter's SET",
         [&] {
             behaviour1.setModes[0x0401] = SimSetMode::Silent;
             Modify("seLampHours", 500, "btnModLampHours");
             Modify("seDispLevel", 7, "btnDispLevel");
             refuseLampHours();
         },
         [&] { EXPECT_EQ(Rec().lampHours, 10u); }},
        {"lamp hours read by a reading again in between",
         [&] {
             behaviour1.setModes[0x0401] = SimSetMode::Silent;
             Modify("seLampHours", 500, "btnModLampHours");
             dev1.values[0x0401] = {0, 0, 0x01, 0xF4}; // it took the value all the same
             dev1.SetSupported({0x0401});
             Modify("cbPersonality", 1, "btnModDmxPers");
             refuseLampHours();
         },
         [&] { EXPECT_EQ(Rec().lampHours, 500u); }},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        behaviour1.setModes.clear();
        behaviour1.readBacks.clear();
        dev1.SetDeviceInfo(0x0042, 0x0101, 1, 2, 1, 0, 0, 4);
        dev1.values[0x0401] = {0, 0, 0, 10};
        Rec().currentPersonality = 1;
        Rec().lampHours = 10;
        Select(1);
        ClearLog();
        row.run();
        row.expect();
    }
}

TEST_F(SetVerify, FactoryDefaultsDoneOnlyWhenTheDeviceSaysSo) {
    w->frmKerdes->setAnswerer([](TModalDialog& d) { d.accept(); });
    for (int readBack : {0, 5}) {
        SCOPED_TRACE(readBack);
        ClearLog();
        behaviour1.factoryDefaultsReadBack = uint8_t(readBack);
        Click("btnSetFactDef");
        EXPECT_EQ(w->MessageKind, 1);
        EXPECT_EQ(Sent(), (Reqs{{0x30, 0x0090, {}}, {0x20, 0x0090, {}}}));
        EXPECT_EQ(Log(), (QStringList{"Set factory defaults in: 7FF3:00000001 - 0",
                                      "Factory default can not be done"}));
        EXPECT_EQ(dm->RdmGlobals().RdmPendingOp, 0);
    }

    // Done: the device is read again, so the page shows its default address, not the one it had.
    Modify("seDmxStartAdrD", 100, "btnModDmxAdr");
    ClearLog();
    behaviour1.factoryDefaultsReadBack.reset();
    behaviour1.factoryValues[0x00F0] = {0, 1};
    Click("btnSetFactDef");
    std::vector<uint64_t> to;
    const Reqs sent = Sent(&to);
    ASSERT_GT(sent.size(), 3u);
    EXPECT_EQ(sent[2], (Req{0x20, 0x0060, {}}));
    EXPECT_THAT(to, Each(Uid1));
    EXPECT_EQ(Log().mid(0, 2),
              (QStringList{"Set factory defaults in: 7FF3:00000001 - 0", "Factory default done"}));
    EXPECT_EQ(Log().last(), "Process ready");
    EXPECT_EQ(Find<QSpinBox>("seDmxStartAdrD")->value(), 1);
    EXPECT_EQ(dm->RdmGlobals().AwaitingAnswer, 0);

    ClearLog();
    w->frmKerdes->setAnswerer([](TModalDialog& d) { d.reject(); });
    Click("btnSetFactDef");
    EXPECT_TRUE(Sent().empty());
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
        EXPECT_EQ(Sent(), (Reqs{{0x30, 0x1001, {uint8_t(byte)}}}));
        EXPECT_EQ(Log().first(), "Set RESET in: 7FF3:00000001 - 0");
    }
    EXPECT_EQ(behaviour1.resets, (Data{0x01, 0xFF}));
    EXPECT_EQ(dm->RdmGlobals().RdmPendingOp, RdmOpIdentify); // reset leaves the pending operation

    ClearLog();
    w->frmKerdes->setAnswerer([](TModalDialog& d) { d.findChild<QPushButton*>("btnMegsem")->click(); });
    Click("btnReset");
    EXPECT_TRUE(Sent().empty());
    EXPECT_TRUE(Log().isEmpty());
}

TEST_F(SetVerify, IdentifyTogglesWithItsCaption) {
    auto* button = Find<QPushButton>("btnIdentify");
    QStringList captions{button->text()};
    for (int i = 0; i < 2; ++i) {
        Click("btnIdentify");
        captions << button->text();
    }
    EXPECT_EQ(captions, (QStringList{"Identify START", "Identify STOP", "Identify START"}));
    EXPECT_EQ(Sent(), (Reqs{{0x30, 0x1000, {1}}, {0x30, 0x1000, {0}}}));
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
    EXPECT_TRUE(Sent().empty());

    MouseClick(box);
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(Sent(), (Reqs{{0x30, 0x1040, {0xFF}}, {0x20, 0x1040, {}}}));
    EXPECT_EQ(Log(), (QStringList{"Send new identify mode to: 7FF3:00000001 - 0", "Identify mode modified"}));

    // A release without a press sends the unchanged state again.
    ClearLog();
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    Settle();
    EXPECT_EQ(FirstData(), Data{0xFF});

    // A device that keeps its mode.
    ClearLog();
    behaviour1.setModes[0x1040] = SimSetMode::KeepAck;
    MouseClick(box);
    EXPECT_EQ(Sent(), (Reqs{{0x30, 0x1040, {0x00}}, {0x20, 0x1040, {}}}));
    EXPECT_EQ(Log().last(), "Identify mode can not be modified");
}

TEST_F(SetVerify, PersonalityChangeRescansThatDeviceOnly) {
    Modify("cbPersonality", 1, "btnModDmxPers");
    std::vector<uint64_t> to;
    const Reqs sent = Sent(&to);
    ASSERT_GT(sent.size(), 4u); // the device is read again to its end
    EXPECT_EQ(sent[0], (Req{0x30, 0x00E0, {2}}));
    EXPECT_EQ(sent[1], (Req{0x20, 0x0060, {}}));
    EXPECT_THAT(to, Each(Uid1));
    EXPECT_EQ(dev2.received.size(), 0u);
    EXPECT_EQ(Log().mid(0, 2),
              (QStringList{"Send new dmx personality to: 7FF3:00000001 - 0", "New dmx personality set"}));
    EXPECT_EQ(Log().last(), "Process ready");
    EXPECT_EQ(Rec().currentPersonality, 2); // as the device's DEVICE_INFO says
    EXPECT_EQ(Rec(2).currentPersonality, 1);
    EXPECT_EQ(dm->RdmGlobals().AwaitingAnswer, 0);
    EXPECT_EQ(view->RdmCurrentNode(), 1);
}

TEST_F(SetVerify, MakerChainsSetAddressAndPersonality) {
    struct Chain {
        uint8_t op;
        uint16_t pid;
        const char* address;
        uint8_t personality;
        std::vector<std::pair<const char*, bool>> mode; // buttons set before the chain starts
    };
    // clang-format off
    const Chain chains[] = {
        {RdmOpKelvarSetup, 0x8000, "seRdmSpecDmxAdr", 1, {{"rbModeDmx", true}}},
        {RdmOpKelvarSetup, 0x8000, "seRdmSpecDmxAdr", 2, {{"rbModeMaster", true}}},
        {RdmOpQ7Setup, 0x8004, "seRdmSpecQ7DmxAdr", 3, {{"rbRdmSpecQ7ModeSing", true}, {"cbRdmSpecQ7ModePrior", false}}},
        {RdmOpQ7Setup, 0x8004, "seRdmSpecQ7DmxAdr", 2, {{"rbRdmSpecQ7ModeSing", true}, {"cbRdmSpecQ7ModePrior", true}}},
        {RdmOpQ7Setup, 0x8004, "seRdmSpecQ7DmxAdr", 4, {{"rbRdmSpecQ7ModeMast", true}}},
        {RdmOpQ9SubSetup, 0x8004, "seRdmSpecQ9SubDmxAdr", 1, {{"rbRdmSpecQ9SubModeDmx", true}}},
        {RdmOpQ9SubSetup, 0x8004, "seRdmSpecQ9SubDmxAdr", 3, {{"rbRdmSpecQ9SubModeSingle", true}, {"cbRdmSpecQ9SubModePrior", false}}},
    };
    // clang-format on
    for (const Chain& c : chains) {
        SCOPED_TRACE(c.address + std::to_string(c.personality));
        ClearLog();
        for (auto [name, on] : c.mode)
            Find<QAbstractButton>(name)->setChecked(on);
        Set(c.address, 37);
        RdmState& st = dm->RdmGlobals();
        st.RdmPendingOp = c.op;
        st.AwaitingAnswer = 1;
        st.RdmCurrentPid = c.pid;
        dm->SendRdmRequest(0, 0x30, Uid1, c.pid, 1, st.RdmParamData, 0x40);
        Settle();
        const Reqs sent = Sent();
        ASSERT_GE(sent.size(), 4u);
        EXPECT_EQ(Reqs(sent.begin() + 1, sent.begin() + 4),
                  (Reqs{{0x30, 0x00F0, {0, 37}}, {0x30, 0x00E0, {c.personality}}, {0x20, 0x0060, {}}}));
        EXPECT_EQ(Log().mid(0, 3),
                  (QStringList{"Send new dmx address (37) to: 7FF3:00000001",
                               "Send new dmx personality to: 7FF3:00000001", "New dmx personality set"}));
    }
}

TEST_F(SetVerify, DemoModeChangesOnlyRecordsAndViews) {
    view->DemoMode = 1;
    const int questions = w->frmKerdes->timesShown();
    Set("cbLampState", 1);
    Set("seLampHours", 99);
    Set("cbPowState", 0);
    for (const char* b : {"btnModLampState", "btnModLampHours", "btnModPowState", "btnIdentify",
                          "btnSetFactDef", "btnReset", "btnDispLevel", "btnPanInv"}) {
        Find<QPushButton>(b)->setEnabled(true);
        Click(b);
    }
    EXPECT_TRUE(Log().isEmpty());
    EXPECT_EQ(w->frmKerdes->timesShown(), questions); // no question in demo mode
    EXPECT_EQ(Rec().lampHours, 10u);
    EXPECT_EQ(Find<QPushButton>("btnIdentify")->text(), "Identify START");

    // Address: the record only, its button disabled, no line.
    Modify("seDmxStartAdrD", 300, "btnModDmxAdr");
    EXPECT_EQ(Rec().dmxStartAddress, 300);
    EXPECT_FALSE(Find<QPushButton>("btnModDmxAdr")->isEnabled());

    // Personality: a footprint of 0 takes the address away and the page is redrawn.
    Modify("cbPersonality", 1, "btnModDmxPers");
    EXPECT_EQ(Rec().currentPersonality, 2);
    EXPECT_EQ(Find<QSpinBox>("seDmxStartAdrD")->value(), 0);

    // Label: the node shows it, or the model description when it is empty.
    ModifyLabel("Demo spot");
    EXPECT_EQ(NodeAt(tree, 1)->text(0), "Demo spot");
    ModifyLabel("");
    EXPECT_EQ(NodeAt(tree, 1)->text(0), "Spot 575");
    EXPECT_EQ(Log(), (QStringList{"Send new dmx personality to: 7FF3:00000001 - 0",
                                  "Send new device label (Demo spot) to: 7FF3:00000001 - 0",
                                  "Send new device label () to: 7FF3:00000001 - 0"}));
    EXPECT_TRUE(Sent().empty());

    // The quiet-identify box is the one command that still sends.
    MouseClick(Find<QCheckBox>("cbQuietIdentify"));
    EXPECT_EQ(std::get<1>(Sent().at(0)), 0x1040);
}

// The interface pulled out while the device is read again after a personality
// change: the reading ends there, the SET counts as not verified, and nothing
// of the reading goes out when an interface comes again.
TEST_F(SetVerify, AReadingAgainCutShortByARemovalKeepsThePersonalityFromBefore) {
    auto hold = std::make_shared<bool>(false);
    dev1.extension = [this, hold, extension = dev1.extension](SimRdmResponder& r, uint8_t cc, uint16_t pid,
                                                              std::span<const uint8_t> data) {
        if (cc == 0x20 && pid == 0x0060 && std::exchange(*hold, false)) box->HoldInput(true);
        return extension(r, cc, pid, data);
    };
    Rec().currentPersonality = 1;
    Select(1);
    ClearLog();
    *hold = true;
    Modify("cbPersonality", 1, "btnModDmxPers");
    ASSERT_TRUE(view->ScanHoldsTheLine());
    box->DropHeld();
    platform->Unplug(box);
    Settle();

    EXPECT_FALSE(view->ScanHoldsTheLine());
    EXPECT_EQ(dm->RdmGlobals().RdmPendingOp, RdmOpNone);
    EXPECT_EQ(Rec().currentPersonality, 1);
    EXPECT_EQ(
        Log().filter("cut short"),
        QStringList{"Reading of the device cut short, the USB interface was removed: 7FF3:00000001 - 0"});
    EXPECT_EQ(Log().filter("Dmx personality can not be modified").size(), 1);

    ReplugAndExpectNoRequest("the reading");
}
