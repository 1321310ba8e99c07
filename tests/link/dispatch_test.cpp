// The input dispatch: credit requests always get their chunk; every other
// report goes to the handler of the interface type and link mode, or nowhere.
#include <vector>

#include "LinkFixture.h"
#include "link/LinkDispatch.h"
#include "link/LinkTypes.h"

TEST(LinkDispatchTable, DecisiveEntries) {
    using H = LinkHandler;
    struct Row {
        uint8_t type;
        uint16_t mode;
        H handler;
    };
    // The RDM answers dropped by repeaters and splitters are shown through
    // the window below.
    const Row rows[] = {
        {0, LinkModeDiscovery, H::Discovery},
        {8, LinkModeBlockDownload, H::BlockAck},
        {8, LinkModeMonitor, H::MonitorStream},
        {13, LinkModeMonitor, H::ReceivedDmx},
        {0, LinkModeInterfaceConfig, H::None},
        {9, LinkModeInterfaceConfig, H::InterfaceConfig},
        {5, LinkModeInterfaceConfig, H::InterfaceConfigRf},
        {6, LinkModeRfConfigRead, H::RfConfig},
        {10, LinkModeFirmwareUpload, H::FirmwareChunk},
        {7, LinkModeSecondRfRead, H::None},
        {12, LinkModeRdm, H::None},
        {3, LinkModeMonitor, H::None},
        {0, 9, H::None},
        {7, 0xFFFF, H::None},
    };
    for (const Row& r : rows)
        EXPECT_EQ(LinkHandlerFor(r.type, r.mode), r.handler) << int(r.type) << " " << r.mode;
}

using DispatchTest = LinkFixture;

TEST_F(DispatchTest, CreditRequestsAreAnsweredInEveryModeAndType) {
    for (uint8_t type : {0, 1, 5, 7, 12, 13}) {
        auto box = Connect(type);
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
        auto box = Connect(type);
        dm->RdmGlobals().RdmRxCount = 0;
        dm->LinkMode = LinkModeRdm;
        box->PushReport(answer);
        Settle();
        // The DMX interface collects it; the repeaters and splitters drop it.
        EXPECT_EQ(dm->RdmGlobals().RdmRxCount, type == 0 ? 25 : 0) << int(type);
        EXPECT_TRUE(box->written.empty()) << int(type);
        EXPECT_EQ(dm->LinkMode, LinkModeRdm);
        EXPECT_TRUE(std::equal(answer.begin(), answer.end(), dm->HidReport.begin())) << int(type);
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
    EXPECT_TRUE(std::equal(dm->HidReport.begin(), dm->HidReport.end(), big.begin()));

    // A report from a device that is not the held one is not taken.
    dm->HidReport.fill(0);
    dm->HidDataReceived(nullptr, 0, big.data(), 10);
    EXPECT_EQ(dm->HidReport[0], 0);
}

TEST_F(DispatchTest, RfInterfaceReadsItsRfConfigurationWhenItHasFirmware) {
    auto box = Connect(5);
    dm->tmrGetInfoTimer();
    ASSERT_EQ(dm->LinkMode, LinkModeInterfaceConfig);
    // The answer: an application is present (byte 1) with major version 2 (byte 7).
    box->written.clear();
    box->PushReport({0x33, 1, 2, 0, 0, 0, 0, 2});
    Settle();
    EXPECT_EQ(dm->LinkMode, LinkModeRfConfigRead);
    ASSERT_EQ(box->written.size(), 1u);
    EXPECT_EQ(Bytes(box->written[0], 0, 5), (std::vector<uint8_t>{0, CmdReadRfConfig, 0, 0, 0}));

    // Without application firmware nothing is read.
    dm->LinkMode = LinkModeInterfaceConfig;
    box->written.clear();
    box->PushReport({0x33, 1});
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
    const std::vector<std::vector<uint8_t>> heads = {{0, 2, 0, 0, 10, 0xEE},
                                                     {0, 3, 0, 0, 0, 0xEE},
                                                     {0, 4, 0, 0, 0, 0xEE},
                                                     {0, 1, 200, 200, 0},
                                                     {0, 10, 0, 1}};
    for (size_t i = 0; i < heads.size(); ++i)
        EXPECT_EQ(Bytes(box->written[i], 0, heads[i].size()), heads[i]) << i;
    EXPECT_EQ(dm->LinkMode, LinkModeBlockDownload);

    // The Tamarind interfaces need no monitor command.
    dm->InterfaceType = 8;
    box->written.clear();
    dm->StartMonitor();
    EXPECT_TRUE(box->written.empty());
    EXPECT_EQ(dm->LinkMode, LinkModeMonitor);
}
