// A data report holds 64 bytes after its id: at most 60 data bytes from byte
// 4. Whatever count it claims, only the bytes it brought join the answer;
// the rest of the report buffer is left over from earlier reports.
#include "rdm/discovery_scan_fixture.h"
#include "support/log_access.h"

namespace {
using ReportLength = DiscoveryScanTest;
} // namespace

TEST_F(ReportLength, OnlyTheBytesAReportBroughtJoinTheAnswer) {
    const uint64_t uid = Uid(0x7FF1, 0x42);
    simdev::Basic(Device(uid), 1, "Spot", "Acme", {0x0080});
    ASSERT_NO_FATAL_FAILURE(Discover());
    const int node = NodeOf(uid);
    ASSERT_GT(node, 0);

    for (const int claimed : {60, 61, 64, 255}) {
        SCOPED_TRACE(claimed);
        // A DEVICE_LABEL answer of 65 bytes, outside any request of the scan.
        const std::string label(40, char('A' + claimed % 26));
        const auto answer = BuildRdmAnswerFrame(0x7FF100000000ull, uid, 0, 0, 0, 0x21, 0x0082,
                                                std::vector<uint8_t>(label.begin(), label.end()));
        ASSERT_EQ(answer.size(), 65u);
        St().RdmCurrentNode = uint16_t(node);
        St().RdmCurrentPid = 0;
        // As if the scan's GET DEVICE_LABEL with transaction number 0 had just gone to the device.
        St().Asked = RdmAskedRequest{true, false, 0, uid, 0, node, 0x20, 0x0082, RdmOpScan};
        St().ReportsOwed = {RdmOwedReport{0, false}};
        dm->HidReport[64] = 0xEE; // left over from an earlier, longer report
        std::vector<uint8_t> first{11, 3, uint8_t(claimed), 0};
        first.insert(first.end(), answer.begin(), answer.begin() + 60);
        std::vector<uint8_t> last{11, 4, 5, 0};
        last.insert(last.end(), answer.begin() + 60, answer.end());
        box->PushReport(first);
        box->PushReport(last);
        ASSERT_NO_FATAL_FAILURE(Settle());

        EXPECT_EQ(view->RecordAt(node)->deviceLabel, QString::fromStdString(label.substr(0, 32)));
        EXPECT_EQ(DeviceLogLines(w).filter("Corrupt").size(), 0);
    }
}
