// Discovery through the whole program on a line with a responder that breaks
// the discovery rules and nine that follow them: the run ends, the good
// devices are listed and scanned, and the button can start the next run.
#include "rdm/discovery_scan_fixture.h"
#include "support/log_access.h"
#include "support/sim/rdm_any_range_responder.h"
#include "support/sim/rdm_unmutable_responder.h"

namespace {
using DiscoveryRules = DiscoveryScanTest;
} // namespace

TEST_F(DiscoveryRules, ABrokenResponderDoesNotStopTheRunOrTheScan) {
    const uint64_t broken = Uid(0x4000, 0x1234);
    struct Row {
        const char* name;
        SimDiscoveryResponder (*make)(uint64_t);
        bool listed;
        QStringList warnings;
    };
    const Row rows[] = {
        {"answers every branch", [](uint64_t uid) { return AnyRangeResponder(uid); }, true, {}},
        {"never mutes",
         [](uint64_t uid) { return UnmutableResponder(uid); },
         false,
         {"Device does not answer its mute: 4000:00001234"}},
    };
    SimDiscoveryLine good;
    good.AddRandomResponders(9, 2026);
    for (const auto& g : good.responders)
        simdev::Basic(Device(g.uid), 1, "Par", "Maker", {0x0080});
    simdev::Basic(Device(broken), 1, "Odd", "Other", {0x0080});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        view->btnClrTortenetClick();
        for (auto& d : devices)
            d.received.clear();
        line->discovery.responders.back() = row.make(broken);
        line->discovery.branchRequests = 0;
        ASSERT_NO_FATAL_FAILURE(Discover());

        const QStringList log = DeviceLogLines(w);
        const int count = row.listed ? 10 : 9;
        EXPECT_LT(line->discovery.branchRequests, row.listed ? 100 : 200);
        EXPECT_EQ(view->Discovery.DiscoveredCount, count);
        EXPECT_EQ(log.filter("does not"), row.warnings);
        EXPECT_EQ(log.filter("Number of discovered units: "),
                  QStringList{QString("Number of discovered units: %1").arg(count)});
        ASSERT_FALSE(log.isEmpty());
        EXPECT_EQ(log.back(), "Process ready");
        EXPECT_TRUE(ui->btnDiscovery->isEnabled());
        for (const auto& d : devices) {
            const bool scanned = !GetPids(d).empty() && GetPids(d).front() == 0x0060;
            EXPECT_EQ(scanned, d.uid != broken || row.listed) << FormatRdmUid(d.uid).toStdString();
        }
    }
}
