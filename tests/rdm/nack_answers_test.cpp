// NACK answers to the scan's GETs carry a reason code where the value would
// be: through the whole program, the records and the page keep what the
// device reported before.
#include <QComboBox>
#include <QListWidget>
#include <QSpinBox>

#include "rdm/discovery_scan_fixture.h"
#include "support/log_access.h"
#include "support/sim/rdm_nack_after_ack_responder.h"
#include "support/sim/rdm_nack_reason_responder.h"

namespace {

constexpr uint16_t NackUnknownPid = 0x0000;
constexpr uint16_t NackDataOutOfRange = 0x0006;
constexpr uint16_t NackHardwareFault = 0x0002;

class NackedAnswers : public DiscoveryScanTest {
protected:
    // A responder of a misbehaving kind, owned by the test, on the line.
    template <class T> T& Own(uint64_t uid) {
        auto& r = *owned.emplace_back(std::make_unique<T>(uid));
        line->Add(r);
        return static_cast<T&>(r);
    }
    const tRdmDevice& Rec(uint64_t uid) {
        const int node = NodeOf(uid);
        EXPECT_GE(node, 0) << FormatRdmUid(uid).toStdString();
        static const tRdmDevice none;
        return node >= 0 ? *view->RecordAt(node) : none;
    }
    // The Details and Configuration pages of a device, as shown after a click on its node.
    struct Shown {
        int address;
        bool addressEnabled;
        QStringList slotLines;
        bool operator==(const Shown&) const = default;
    };
    Shown Show(uint64_t uid) {
        const int node = NodeOf(uid);
        if (node < 0) {
            ADD_FAILURE() << "no node for " << FormatRdmUid(uid).toStdString();
            return {};
        }
        Click(node);
        Shown s{ui->seDmxStartAdrD->value(), ui->seDmxStartAdrD->isEnabled(), {}};
        for (int i = 0; i < ui->lbSlotInf->count(); ++i)
            s.slotLines << ui->lbSlotInf->item(i)->text();
        return s;
    }

    std::vector<std::unique_ptr<SimRdmResponder>> owned;
};

} // namespace

TEST_F(NackedAnswers, ScanKeepsWhatDeviceInfoAndEarlierAnswersReported) {
    // Two dimmer roots without a DMX footprint: one refuses GET DMX_START_ADDRESS,
    // the other answers it with 0xFFFF, as its DEVICE_INFO says.
    auto& refusing = Own<SimNackReasonResponder>(Uid(0x7FF1, 0x10));
    simdev::Basic(refusing, 0x0101, "Dimmer", "Acme", {0x0080}, 0, 0, 0, 0xFFFF, 0);
    refusing.nackedGets[0x00F0] = NackUnknownPid;
    auto& answering = Own<SimNackReasonResponder>(Uid(0x7FF1, 0x11));
    simdev::Basic(answering, 0x0101, "Dimmer", "Acme", {0x0080}, 0, 0, 0, 0xFFFF, 0);
    // A moving light with no text for its last slot.
    auto& light = Own<SimNackReasonResponder>(Uid(0x7FF1, 0x20));
    simdev::Basic(light, 0x0202, "Spot", "Acme", {0x0080, 0x0120, 0x0121}, 1, 0, 0, 1, 8);
    simdev::Personality(light, 1, 8, "Standard");
    simdev::Slots(light, {{0, 0xFFFF},
                          {0, 0xFFFF},
                          {0, 0xFFFF},
                          {0, 0xFFFF},
                          {0, 0xFFFF},
                          {0, 0xFFFF},
                          {0, 0xFFFF},
                          {0, 0xFFFF}});
    for (uint16_t slot = 0; slot < 7; ++slot)
        simdev::SlotDescription(light, slot, "Slot " + std::to_string(slot));
    light.nackedIndexedGets[{0x0121, 7}] = NackDataOutOfRange;

    ASSERT_NO_FATAL_FAILURE(Discover());
    ASSERT_TRUE(DeviceLogLines(w).contains("Process ready"));
    EXPECT_EQ(Rec(refusing.uid).dmxStartAddress, 0xFFFF);
    EXPECT_EQ(Rec(answering.uid).dmxStartAddress, 0xFFFF);
    EXPECT_EQ(Show(refusing.uid), Show(answering.uid));
    // The scan went on past the refused GET as after any answer.
    const auto pids = GetPids(refusing);
    const auto address = std::find(pids.begin(), pids.end(), 0x00F0);
    ASSERT_NE(address, pids.end());
    ASSERT_NE(address + 1, pids.end());
    EXPECT_EQ(*(address + 1), 0x1000);

    EXPECT_EQ(Asked(light, 0x0121), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    for (size_t slot = 0; slot < 7; ++slot)
        EXPECT_EQ(Rec(light.uid).slotInfo[slot].description, QString("Slot %1").arg(slot));
    EXPECT_EQ(Rec(light.uid).slotInfo[7].description, "");
    const QStringList lines = Show(light.uid).slotLines;
    ASSERT_EQ(lines.size(), 8);
    EXPECT_TRUE(lines[6].endsWith(" Slot 6")) << lines[6].toStdString();
}

TEST_F(NackedAnswers, ARescanThatIsRefusedKeepsTheLabelsOfTheFirstScan) {
    auto& dev = Own<SimNackAfterAckResponder>(Uid(0x7FF1, 0x30));
    simdev::Basic(dev, 0x0303, "Wash", "Acme", {0x0080, 0x0081, 0x0082}, 2, 0, 0, 1, 4);
    simdev::Personality(dev, 1, 4, "Basic");
    simdev::Personality(dev, 2, 6, "Extended");
    dev.SetText(0x0082, "Front truss");
    dev.settable.insert(0x00E0);
    for (uint16_t pid : {0x0080, 0x0081, 0x0082})
        dev.nackAfterFirstGet[pid] = NackHardwareFault;

    ASSERT_NO_FATAL_FAILURE(Discover());
    const QStringList captions = Captions();
    EXPECT_EQ(captions, (QStringList{"Acme", "Front truss"}));

    // A personality change reads the device again; this time it refuses its labels.
    ASSERT_GE(NodeOf(dev.uid), 0);
    ASSERT_NO_FATAL_FAILURE(Click(NodeOf(dev.uid)));
    ui->cbPersonality->setCurrentIndex(1);
    QTest::mouseClick(ui->btnModDmxPers, Qt::LeftButton);
    ASSERT_NO_FATAL_FAILURE(Settle());
    ASSERT_EQ(dev.getsAnswered[0x0082], 2) << "the label was asked again";
    EXPECT_EQ(Rec(dev.uid).currentPersonality, 2);
    EXPECT_EQ(Rec(dev.uid).deviceLabel, "Front truss");
    EXPECT_EQ(Rec(dev.uid).modelDescription, "Wash");
    EXPECT_EQ(Rec(dev.uid).manufacturerLabel, "Acme");
    EXPECT_EQ(Captions(), captions);
}
