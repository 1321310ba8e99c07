// The input dispatch: credit requests always get their chunk; every other
// report goes to the handler of the interface type and link mode, or nowhere.
#include <QTimer>
#include <vector>

#include "LinkFixture.h"
#include "link/LinkDispatch.h"
#include "link/LinkTypes.h"

TEST(LinkDispatchTable, HandlerByInterfaceTypeAndMode) {
    using H = LinkHandler;
    const std::vector<H> dmx{H::None, H::Discovery, H::BlockAck, H::MonitorStream, H::Rdm,
                             H::None, H::None,      H::None,     H::None};
    const std::vector<H> tamarind{H::None,          H::Discovery, H::BlockAck,
                                  H::MonitorStream, H::Rdm,       H::InterfaceConfig,
                                  H::FirmwareChunk, H::None,      H::None};
    const std::vector<H> repeater{H::None,          H::None, H::None,
                                  H::ReceivedDmx,   H::None, H::InterfaceConfig,
                                  H::FirmwareChunk, H::None, H::None};
    const std::vector<H> rf{H::None,          H::None,     H::None, H::None, H::None, H::InterfaceConfigRf,
                            H::FirmwareChunk, H::RfConfig, H::None};
    for (uint16_t mode = 0; mode <= 8; ++mode) {
        EXPECT_EQ(LinkHandlerFor(0, mode), dmx[mode]) << mode;
        for (uint8_t t : {7, 8, 9, 10})
            EXPECT_EQ(LinkHandlerFor(t, mode), tamarind[mode]) << int(t) << " " << mode;
        // The repeaters and splitters drop RDM answers (mode 4) among others.
        for (uint8_t t : {1, 2, 13})
            EXPECT_EQ(LinkHandlerFor(t, mode), repeater[mode]) << int(t) << " " << mode;
        for (uint8_t t : {5, 6})
            EXPECT_EQ(LinkHandlerFor(t, mode), rf[mode]) << int(t) << " " << mode;
        for (uint8_t t : {3, 4, 11, 12, 14, 255})
            EXPECT_EQ(LinkHandlerFor(t, mode), H::None) << int(t);
    }
    EXPECT_EQ(LinkHandlerFor(0, 9), H::None);
    EXPECT_EQ(LinkHandlerFor(7, 0xFFFF), H::None);
}

class DispatchTest : public LinkFixture {
protected:
    std::shared_ptr<sim::SimInterface> Connect(uint8_t type) {
        auto box = platform->PlugInterface(type);
        box->autoCredit = false;
        Start();
        EXPECT_TRUE(dm->HidConnected);
        box->written.clear();
        return box;
    }

    // One interface after another: the first one's arrival is the first
    // scan, the others' come with their own notices.
    std::shared_ptr<sim::SimInterface> ConnectNext(uint8_t type) {
        auto box = platform->PlugInterface(type);
        box->autoCredit = false;
        if (w->formActivateDone())
            Settle();
        else
            Start();
        EXPECT_EQ(dm->InterfaceType, type);
        dm->tmrGetInfo->stop(); // the RF interfaces' delayed request is not wanted here
        box->written.clear();
        return box;
    }
};

TEST_F(DispatchTest, CreditRequestsAreAnsweredInEveryModeAndType) {
    for (uint8_t type : {0, 1, 5, 7, 12, 13}) {
        auto box = ConnectNext(type);
        for (uint16_t mode = 0; mode <= 8; ++mode) {
            dm->LinkMode = mode;
            const uint8_t data[3] = {uint8_t(type), uint8_t(mode), 0x55};
            dm->EnqueuePacket(LinkTypeRdm, 3, data, 3);
            box->written.clear();
            box->SendCredit(64);
            Settle();
            ASSERT_EQ(box->written.size(), 1u) << int(type) << " " << mode;
            EXPECT_EQ(box->written[0][1], CmdPacketData);
            EXPECT_EQ(box->written[0][2], 6);
            box->SendCredit(64); // completes the packet in transfer
            Settle();
        }
        EXPECT_EQ(dm->TxQueue.Count, 0);
        platform->Unplug(box);
        Settle();
    }
}

TEST_F(DispatchTest, ReportsWithoutHandlerAreDroppedButStillFillTheBuffer) {
    // A piece of an RDM answer with more to come.
    std::vector<uint8_t> answer(64, 0);
    answer[0] = InputData;
    answer[1] = 3;
    answer[2] = 25;
    for (int i = 4; i < 64; ++i)
        answer[size_t(i)] = uint8_t(i);
    for (uint8_t type : {0, 1, 2, 13}) {
        auto box = ConnectNext(type);
        dm->RdmGlobals().RdmRxCount = 0;
        dm->LinkMode = LinkModeRdm;
        box->PushReport(answer);
        Settle();
        // The DMX interface collects it; the repeaters and splitters drop it.
        EXPECT_EQ(dm->RdmGlobals().RdmRxCount, type == 0 ? 25 : 0) << int(type);
        EXPECT_TRUE(box->written.empty()) << int(type);
        EXPECT_EQ(dm->LinkMode, LinkModeRdm);
        for (int i = 0; i < 64; ++i)
            EXPECT_EQ(dm->HidReport[size_t(i)], answer[size_t(i)]) << i;
        platform->Unplug(box);
        Settle();
    }
}

TEST_F(DispatchTest, OversizedReportsFillOnlyTheReportBuffer) {
    Connect(0);
    dm->LinkMode = LinkModeIdle;
    std::vector<uint8_t> big(300, 0xAB);
    big[0] = InputData;
    dm->HidDataReceived(dm->HidDev, 0, big.data(), uint16_t(big.size()));
    EXPECT_EQ(dm->HidReport[0], InputData);
    for (size_t i = 1; i < dm->HidReport.size(); ++i)
        EXPECT_EQ(dm->HidReport[i], 0xAB) << i;

    // Through the layer, from a device with longer reports.
    auto wide = std::make_shared<sim::SimInterface>("wide-box", 7);
    wide->inputReportLength = 100;
    platform->Unplug(platform->Devices().front());
    Settle();
    platform->Plug(wide);
    Settle();
    ASSERT_EQ(dm->InterfaceType, 7);
    dm->LinkMode = LinkModeIdle;
    wide->PushRaw(std::vector<uint8_t>(100, 0x11));
    Settle();
    EXPECT_EQ(dm->HidReport[64], 0x11);

    // A report from a device that is not the held one is not taken.
    dm->HidReport.fill(0);
    dm->HidDataReceived(nullptr, 0, big.data(), 10);
    EXPECT_EQ(dm->HidReport[0], 0);
}

TEST_F(DispatchTest, RfInterfaceReadsItsRfConfigurationWhenItHasFirmware) {
    auto box = Connect(5);
    dm->tmrGetInfoTimer();
    ASSERT_EQ(dm->LinkMode, LinkModeInterfaceConfig);
    // The configuration handler fills these from the answer; here they are
    // set as it would.
    w->LineState.InterfaceBootInfo[0] = 1;
    w->LineState.InterfaceAppInfo[0] = 2;
    box->written.clear();
    box->PushReport({0x33, 1, 2});
    Settle();
    EXPECT_EQ(dm->LinkMode, LinkModeRfConfigRead);
    ASSERT_EQ(box->written.size(), 1u);
    EXPECT_EQ(box->written[0][1], CmdReadRfConfig);
    EXPECT_EQ(box->written[0][2], 0);
    EXPECT_EQ(box->written[0][3], 0);
    EXPECT_EQ(box->written[0][4], 0);

    // Without application firmware nothing is read.
    dm->LinkMode = LinkModeInterfaceConfig;
    w->LineState.InterfaceAppInfo[0] = 0;
    box->written.clear();
    box->PushReport({0x33});
    Settle();
    EXPECT_TRUE(box->written.empty());
    EXPECT_EQ(dm->LinkMode, LinkModeInterfaceConfig);
}

TEST_F(DispatchTest, CommandsSetTheBytesTheyNeed) {
    auto box = Connect(0);
    dm->HidReport.fill(0xEE);
    dm->StartMonitor();
    dm->RequestInterfaceConfig();
    dm->PollFirmwareUpload();
    dm->StartBlockDownload(200, 200);
    ASSERT_EQ(box->written.size(), 5u); // the last one announces the frame
    const auto& r = box->written;
    EXPECT_EQ((std::vector<uint8_t>(r[0].begin(), r[0].begin() + 6)),
              (std::vector<uint8_t>{0, 2, 0, 0, 10, 0xEE}));
    EXPECT_EQ((std::vector<uint8_t>(r[1].begin(), r[1].begin() + 6)),
              (std::vector<uint8_t>{0, 3, 0, 0, 0, 0xEE}));
    EXPECT_EQ((std::vector<uint8_t>(r[2].begin(), r[2].begin() + 6)),
              (std::vector<uint8_t>{0, 4, 0, 0, 0, 0xEE}));
    EXPECT_EQ((std::vector<uint8_t>(r[3].begin(), r[3].begin() + 5)),
              (std::vector<uint8_t>{0, 1, 200, 200, 0}));
    EXPECT_EQ((std::vector<uint8_t>(r[4].begin(), r[4].begin() + 4)), (std::vector<uint8_t>{0, 10, 0, 1}));
    EXPECT_EQ(dm->LinkMode, LinkModeBlockDownload);

    // The Tamarind interfaces need no monitor command.
    dm->InterfaceType = 8;
    box->written.clear();
    dm->MonitorWriteIndex = 9;
    dm->StartMonitor();
    EXPECT_TRUE(box->written.empty());
    EXPECT_EQ(dm->LinkMode, LinkModeMonitor);
    EXPECT_EQ(dm->MonitorState, 2);
    EXPECT_EQ(dm->MonitorWriteIndex, 0);
}
