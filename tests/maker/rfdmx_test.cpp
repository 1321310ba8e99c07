// The RF-DMX page and the interface-configuration answer, driven through the
// real tabs and the simulator's answers and records.
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>

#include "app/Info.h"
#include "files_fixture.h"
#include "maker/SendPage.h"
#include "monitor_fixture.h"
#include "support/log_access.h"

namespace {

using ByteList = std::vector<uint8_t>;

ByteList Slice(const sim::RawReport& r, size_t from, size_t to) {
    return ByteList(r.begin() + long(from), r.begin() + long(to) + 1);
}

} // namespace

class RfTest : public MonitorTest {
protected:
    // An RF interface that has answered the configuration request.
    void Arrive(uint8_t type, uint8_t applicationPresent = 1, uint8_t applicationMajor = 3) {
        Plug(type);
        input->boot[0] = applicationPresent;
        input->application[0] = applicationMajor;
        dm->tmrGetInfoTimer();
        Settle();
    }
    QPushButton* Button(const char* name) { return w->findChild<QPushButton*>(name); }
};

TEST_F(RfTest, KeyPressesGoOutAsCheckedRadioFrames) {
    struct Row {
        const char* button;
        int device; // radio button 1..4
        int channel;
        ByteList payload;
    };
    const std::vector<Row> rows = {
        {"btnRemContLOCK", 1, 11, {0xCB, 0xCF, 0x44, 0x34, 0x1F, 0x00, 0x30, 0xFE}},
        {"btnRemContP1", 3, 33, {0xE1, 0xCF, 0x44, 0x34, 0x12, 0x0D, 0x30, 0xFE}},
        {"btnRemContPRGM", 4, 61, {0xFD, 0xCF, 0x44, 0x34, 0x18, 0x07, 0x30, 0xFE}},
    };
    Arrive(5);
    Ui::RemCont& u = *rf().remUi;
    QRadioButton* devices[] = {u.rbRemCont1, u.rbRemCont2, u.rbRemCont3, u.rbRemCont4};
    QSpinBox* channels[] = {u.seRemCont1, u.seRemCont2, u.seRemCont3, u.seRemCont4};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.button);
        devices[r.device - 1]->setChecked(true);
        channels[r.device - 1]->setValue(r.channel);
        input->rfFrames.clear();
        box->written.clear();
        Button(r.button)->click();
        Settle();
        ASSERT_EQ(input->rfFrames.size(), 1u);
        EXPECT_EQ(input->rfFrames[0].payload, r.payload);
        EXPECT_TRUE(input->rfFrames[0].checkOk);
        EXPECT_TRUE(input->rfFrames[0].lengthOk);
        EXPECT_FALSE(input->rfFrames[0].trailingZero);
        EXPECT_EQ(box->written[0][2], 13);
    }
    // The worked example: "LOCK" on channel 11, byte for byte from byte 5.
    devices[0]->setChecked(true);
    channels[0]->setValue(11);
    box->written.clear();
    Button("btnRemContLOCK")->click();
    EXPECT_EQ(Slice(box->written[0], 1, 15),
              (ByteList{6, 13, 0, 0, 0xF0, 0x88, 0xCB, 0xCF, 0x44, 0x34, 0x1F, 0x00, 0x30, 0xFE, 0x82}));
}

TEST_F(RfTest, TrainingFrameCarriesTheFourKeysAndTheirRepeatFlags) {
    struct Row {
        std::array<const char*, 4> keys;
        int channel;
        uint8_t flags;
    };
    const std::vector<Row> rows = {
        {{"PROGRAM 1", "PROGRAM 2", "BRIGHTNESS +", "BRIGHTNESS -"}, 51, 0x0C}, // the defaults
        {{"SPEED +", "PROGRAM 3", "PROGRAM 9", "PROGRAM -"}, 0, 0x01},
        {{"DMX", "SPEED -", "LOCK", "FADE"}, 61, 0x02},
    };
    Arrive(5);
    Ui::RemContTrain& u = *rf().trainUi;
    QComboBox* lists[] = {u.cbRc04_1, u.cbRc04_2, u.cbRc04_3, u.cbRc04_4};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.keys[0]);
        ByteList payload{0xF4, 0xCF, 0x44, 0x39};
        for (int i = 0; i < 4; ++i) {
            lists[i]->setCurrentText(r.keys[size_t(i)]);
            ASSERT_EQ(lists[i]->currentText(), r.keys[size_t(i)]);
            const tRemoteKey& key = RemoteKeyTable[size_t(lists[i]->currentIndex())];
            payload.push_back(uint8_t(key.code >> 8));
            payload.push_back(uint8_t(key.code));
        }
        payload.push_back(r.flags);
        payload.push_back(uint8_t(r.channel));
        u.seRfCh->setValue(r.channel);
        input->rfFrames.clear();
        box->written.clear();
        u.BitBtn2->click();
        Settle();
        ASSERT_EQ(input->rfFrames.size(), 1u);
        EXPECT_EQ(input->rfFrames[0].payload, payload);
        EXPECT_TRUE(input->rfFrames[0].checkOk);
        EXPECT_TRUE(input->rfFrames[0].trailingZero);
        EXPECT_EQ(box->written[0][2], 20);
    }
    // The key lists hold the keys in table order.
    EXPECT_EQ(u.cbRc04_1->count(), 18);
    EXPECT_EQ(u.cbRc04_1->itemText(2), "SPEED +");
    EXPECT_EQ(RemoteKeyTable[2].code, 0x130C);
}

TEST_F(RfTest, ConfigurationAnswerEnablesAndShowsTheControls) {
    struct Row {
        uint8_t type;
        uint8_t applicationPresent, applicationMajor;
        bool enabled;
        const char* caption;
        std::array<bool, 5> groups; // RF channel, DMX count, mode, forward, send
        uint16_t mode;
        bool warned;
    };
    const std::vector<Row> rows = {
        {5, 1, 3, true, "GET CONFIG", {true, true, true, true, true}, LinkModeRfConfigRead, false},
        {6, 1, 3, true, "GET CONFIG", {true, false, false, false, true}, LinkModeRfConfigRead, false},
        {5,
         1,
         0,
         true,
         "Firmware update...",
         {false, false, false, false, false},
         LinkModeInterfaceConfig,
         false},
        {6,
         0,
         0,
         false,
         "Firmware update...",
         {false, false, false, false, false},
         LinkModeInterfaceConfig,
         true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "type " << int(r.type) << " application "
                                        << int(r.applicationPresent) << "/" << int(r.applicationMajor));
        warningKinds.clear();
        Arrive(r.type, r.applicationPresent, r.applicationMajor);
        Ui::RfDmxCom& u = com();
        EXPECT_EQ(w->mainPageCaption(), "RfDMXRx");
        EXPECT_EQ(w->LineState.InterfaceBootInfo[0], r.applicationPresent);
        EXPECT_EQ(w->LineState.InterfaceAppInfo[0], r.applicationMajor);
        EXPECT_EQ(w->LineState.InterfaceAppInfo[8], input->application[8]);
        for (QWidget* c :
             std::initializer_list<QWidget*>{u.btnSendConfRfDmx, u.cbDmxRfConfRfCh, u.tbDmxRfConfRfPw,
                                             u.seDmxRfConfNrDmx, u.rbDmxRfConfRep, u.rbDmxRfConfSing})
            EXPECT_EQ(c->isEnabled(), r.enabled) << c->objectName().toStdString();
        EXPECT_EQ(u.btnGetConfRfDmx->text(), r.caption);
        const std::array<QWidget*, 5> groups = {u.cbDmxRfConfRfCh, u.seDmxRfConfNrDmx, u.rbDmxRfConfSing,
                                                u.btnDmxRfSendConfForw, u.btnSendConfRfDmx};
        for (size_t g = 0; g < groups.size(); ++g)
            EXPECT_EQ(!groups[g]->isHidden(), r.groups[g]) << "group " << g;
        EXPECT_TRUE(u.tbDmxRfConfRfPw->isHidden());
        EXPECT_EQ(dm->LinkMode, r.mode);
        EXPECT_EQ(warningKinds, r.warned ? std::vector<int>{2} : std::vector<int>{});
        if (r.mode == LinkModeRfConfigRead) {
            // The RF configuration the simulator answered.
            EXPECT_EQ(u.cbDmxRfConfRfCh->currentIndex(), 2);
            EXPECT_EQ(u.tbDmxRfConfRfPw->value(), 5);
            EXPECT_EQ(u.seDmxRfConfNrDmx->value(), 256);
            EXPECT_TRUE(u.rbDmxRfConfRep->isChecked());
            EXPECT_EQ(u.lDmxRfTerero->text(), "42");
        }
        platform->Unplug(box);
        Settle();
    }
}

TEST_F(RfTest, SendConfigWritesTheSettings) {
    struct Row {
        const char* button;
        int channelIndex, dmxChannels;
        bool repeated;
        ByteList bytes; // report bytes 1..9
    };
    const std::vector<Row> rows = {
        {"btnSendConfRfDmx", 0, 512, true, {7, 7, 0, 7, 0x40, 0x00, 0x02, 1, 1}},
        {"btnDmxRfSendConfForw", 5, 1, false, {7, 7, 5, 7, 0x40, 0x01, 0x00, 0, 0}},
    };
    Arrive(5);
    Ui::RfDmxCom& u = com();
    for (const Row& r : rows) {
        SCOPED_TRACE(r.button);
        u.cbDmxRfConfRfCh->setCurrentIndex(r.channelIndex);
        u.seDmxRfConfNrDmx->setValue(r.dmxChannels);
        (r.repeated ? u.rbDmxRfConfRep : u.rbDmxRfConfSing)->setChecked(true);
        box->written.clear();
        Button(r.button)->click();
        ASSERT_EQ(box->written.size(), 1u);
        EXPECT_EQ(Slice(box->written[0], 1, 9), r.bytes);
        EXPECT_EQ(input->rfDmxChannels, r.dmxChannels);
    }
}

TEST_F(RfTest, GetConfigReadsOrAsksForFirmware) {
    enum Pick { NoFile, Fits, OtherType };
    struct Row {
        uint8_t applicationMajor;
        Pick pick;
        ByteList commands;
        uint16_t mode;
        QString page;
        std::vector<int> infoKinds;
    };
    const std::vector<Row> rows = {
        {3, NoFile, {CmdReadRfConfig}, LinkModeRfConfigRead, "Logo", {}},
        {0, Fits, {12}, LinkModeSecondRfRead, "Send", {}},
        {0, OtherType, {12, 13}, LinkModeSecondRfRead, "Logo", {1}},
        {0, NoFile, {12, 13}, LinkModeSecondRfRead, "Logo", {}},
    };
    const QString files[] = {QString(), dir.filePath("rf.dmx"), dir.filePath("usb.dmx")};
    for (const uint8_t id : {0x12, 0x0B}) {
        QFile f(files[id == 0x12 ? Fits : OtherType]);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(FirmwareFile(id, 1));
    }
    std::vector<int> infoKinds;
    program->frmInfo->setAnswerer([&](TModalDialog& d) {
        infoKinds.push_back(w->MessageKind);
        d.reject();
    });
    TSendPage& send = *w->sendPage;
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << int(r.applicationMajor) << " pick " << r.pick);
        Arrive(5, 1, r.applicationMajor);
        w->showMainPage("Logo");
        int asked = 0;
        send.OpenDialog1.answerer = [&](const tFileDialog&) {
            ++asked;
            return r.pick == NoFile ? std::optional<QString>() : std::optional<QString>(files[r.pick]);
        };
        infoKinds.clear();
        input->rfChannel = 4;
        com().cbDmxRfConfRfCh->setCurrentIndex(0);
        box->written.clear();
        com().btnGetConfRfDmx->click();
        Settle();
        EXPECT_EQ(Commands(*box), r.commands);
        EXPECT_EQ(dm->LinkMode, r.mode);
        EXPECT_EQ(asked, r.applicationMajor ? 0 : 1);
        EXPECT_EQ(send.FirmwareMatches, r.pick == Fits ? 1 : 0);
        EXPECT_EQ(w->mainPageCaption(), r.page);
        EXPECT_EQ(infoKinds, r.infoKinds);
        EXPECT_EQ(com().cbDmxRfConfRfCh->currentIndex(), r.applicationMajor ? 4 : 0);
        platform->Unplug(box);
        Settle();
    }
}

TEST_F(RfTest, RfAnswerOutOfRangeIsLoggedAndLeavesTheControls) {
    Arrive(5);
    Ui::RfDmxCom& u = com();
    ASSERT_EQ(dm->LinkMode, LinkModeRfConfigRead);
    box->PushReport({CmdReadRfConfig, 9, 12, 0, 0x01, 0x03, 0, 7});
    Settle();
    EXPECT_EQ(u.cbDmxRfConfRfCh->currentIndex(), 2);
    EXPECT_EQ(u.tbDmxRfConfRfPw->value(), 5);
    EXPECT_EQ(u.seDmxRfConfNrDmx->value(), 256);
    EXPECT_TRUE(u.rbDmxRfConfSing->isChecked()); // the fields that fit are taken
    EXPECT_EQ(u.lDmxRfTerero->text(), "7");
    EXPECT_TRUE(DeviceLogText(w).contains(
        "RF configuration answer out of range, not shown: RF channel 9, RF power 12, DMX channels 769"));
}
