#include "app/Main.h"
#include "maker/MakerPayloads.h"
#include "maker_fixture.h"
#include "ui_Main.h"

// A read from one device (programs packet by packet, the oldest controller's
// memory, a configuration) while the user clicks another device of the tree:
// the read finishes from the device it started on, its data lands in the
// editor or the configuration pages as that device's, and the click is taken
// once the read is over.
class ReadOwnerTest : public MakerRdmFixture {
public:
    // Every byte of every program of the device is `value` (the packets' own
    // program and part numbers aside).
    static void GivePrograms(SimMakerDevice& d, uint8_t value) {
        if (d.kind == 1) {
            d.memoryPrograms.fill(value);
            return;
        }
        const int lastPart = d.ProgramPid() == 0x8008 ? 20 : 10;
        for (int p = 1; p <= 9; ++p)
            for (int part = 0; part <= lastPart; ++part) {
                Data packet(size_t(d.ProgramPacketLength()), value);
                packet[0] = uint8_t(p);
                packet[1] = uint8_t(part);
                d.programPackets[{p, part}] = packet;
            }
    }

    // A configuration that every page shows as it is; `seed` tells two apart.
    static tDeviceConfig ConfigOf(int seed) {
        tDeviceConfig c;
        FillConfig(c, seed);
        return c;
    }

    // The configuration as a device of the kind stores it.
    static void GiveConfig(SimMakerDevice& d, const tDeviceConfig& c) {
        d.config.assign(size_t(d.ConfigLength()), 0);
        if (d.kind == 2) {
            BuildConfigPayloadQ7(c, d.config);
            PutConfigTail(d.config, kConfigPayloadQ7, false, c.HzNumber);
        } else if (d.kind == 9) {
            BuildConfigPayloadQ73G(c, d.config);
            PutConfigTail(d.config, kConfigPayloadQ73G, false, c.HzNumber);
        } else if (d.kind == 11) {
            BuildConfigPayloadZK4(c, d.config);
        }
    }

    // The requests of a read that reached the device.
    static int ReadRequests(const SimMakerDevice& d) {
        int n = 0;
        for (const auto& r : d.rdm.received) {
            const int pid = (r[21] << 8) | r[22];
            n += r[20] == 0x20 && (pid == 0x8001 || pid == 0x8005 || pid == 0x8006 || pid == 0x8007 ||
                                   pid == 0x8008 || pid == 0x8016);
        }
        return n;
    }
};

TEST_F(ReadOwnerTest, AReadFinishesFromItsOwnDeviceAndAClickMeanwhileIsTakenAfter) {
    struct Row {
        const char* name;
        uint8_t kind, otherKind;
        bool programs;     // GET PROGRAM, else GET CONFIG
        int heldAt;        // the read's request whose answer is on its way during the click
        int requests;      // the whole read
        const char* page;  // of the configuration notebook
        const char* shown; // a control of that page and what it shows
        int value;
    };
    // clang-format off
    const Row rows[] = {
        {"three-colour programs", 2, 2, true, 5, 9 * 11, nullptr, nullptr, 0},
        {"five-colour packets", 9, 9, true, 25, 9 * 21, nullptr, nullptr, 0},
        {"the oldest controller's memory", 1, 1, true, 3, 32, nullptr, nullptr, 0},
        {"configuration", 2, 2, false, 1, 1, "Q7", "seKonfQ7DefB", 50 + 1 + 3},
        // The configuration is read as the kind of the device that sent it.
        {"configuration, the other device of another kind", 2, 9, false, 1, 1, "Q7", "seKonfQ7DefB",
         50 + 1 + 3},
        {"configuration of a ZK4, the other a Q7", 11, 2, false, 1, 1, "ZK4", "seKonfZK4DefB", 50 + 1 + 3},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        UseKind(row.kind);
        const auto other = AddOtherDevice(row.otherKind);
        GivePrograms(*dev, 3);
        GivePrograms(*other, 7);
        GiveConfig(*dev, ConfigOf(1));
        GiveConfig(*other, ConfigOf(4));
        Programs().InitPrograms();
        ClearLog();
        HoldAnswerTo(row.heldAt);
        Click(row.programs ? Spec().btnRdmGetPrg : Spec().btnRdmGetConf);
        ASSERT_EQ(Sent().size(), size_t(row.heldAt));
        ASSERT_GT(box->HeldCount(), 0);

        ClickNode(2);
        EXPECT_EQ(view->RdmCurrentNode(), 1) << "the click waits for the read";
        ReleaseAnswers();

        EXPECT_EQ(ReadRequests(*dev), row.requests);
        EXPECT_EQ(ReadRequests(*other), 0);
        const QString from = row.programs ? "Get program data from: 7FF3:00000001 - 0"
                                          : "Get config data from: 7FF3:00000001 - 0";
        EXPECT_EQ(Log(), (QStringList{from, "Ready"}));
        EXPECT_EQ(w->mainPageCaption(), row.programs ? "Programok" : "Konfiguracio");
        EXPECT_EQ(view->RdmCurrentNode(), 2) << "the click is taken once the read is over";
        EXPECT_EQ(view->tree()->currentItem(), NodeAt(view->tree(), 2));

        if (row.programs) {
            const tProgramData& d = Programs();
            int wrong = 0;
            for (int p = 1; p <= 9; ++p) {
                wrong += d.ProgramSteps[p] != 3;
                for (int s = 1; s <= 10; ++s)
                    for (int f = 1; f <= 20; ++f)
                        for (int c = 1; c <= 3; ++c)
                            wrong += d.Colour(p, s, f, c) != 3;
            }
            EXPECT_EQ(wrong, 0);
            EXPECT_EQ(w->prgUi->seLepesSzam->value(), 3);
        } else {
            const tDeviceConfig want = ConfigOf(1);
            EXPECT_EQ(ActivePageCaption(Konf().nbKonf), QString(row.page));
            EXPECT_EQ(Find<QSpinBox>(row.shown)->value(), row.value);
            for (int ch = 1; ch <= 3; ++ch) {
                EXPECT_EQ(Config().Def[ch], want.Def[ch]) << ch;
                EXPECT_DOUBLE_EQ(Config().Gamma[ch], want.Gamma[ch]) << ch;
            }
            EXPECT_EQ(Config().Max[1], want.Max[1]);
        }
        dev->tamper = nullptr;
        line->rdm.responders.pop_back();
    }
}
