#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>

#include "app/Main.h"
#include "maker_fixture.h"
#include "ui_Main.h"

// Configurations uploaded and read back through the simulator, and the
// oldest controller's memory read.
class ReadBackTest : public MakerRdmFixture {
public:
    void Show(uint8_t kind) {
        ConfigPages& p = *w->configPages;
        switch (kind) {
        case 2:
            p.ShowQ7Config();
            break;
        case 3:
            p.ShowQ9RootConfig();
            break;
        case 4:
            p.ShowQ9SubConfig();
            break;
        case 11:
        case 12:
            p.ShowZK4Config(kind == 11 ? 3 : 5);
            break;
        default:
            p.ShowQ73GConfig(kind == 7 || kind == 9 ? 3 : 5);
            break;
        }
        p.ShowPageForDeviceKind(kind);
    }
};

TEST_F(ReadBackTest, EachKindsConfigurationComesBackAsItWasUploaded) {
    struct Case {
        uint8_t kind;
        int channels; // channels of the layout; 0 for the tail alone
        bool stepTimes, curveFlags, tail, outputs;
        const char* page;
        const char* control; // a spin edit that shows the value again
        int shown;
    };
    // clang-format off
    const Case cases[] = {
        {2, 3, true, true, true, false, "Q7", "seKonfQ7DefB", 50 + 1 + 3},
        {3, 0, false, false, true, false, "Q9Root", "seKonfQ9rootNum", 91},
        {4, 3, true, true, false, false, "Q9Sub", "seKonfQ9SubMinG", 1 + 2},
        {7, 5, true, true, true, false, "Q73G", "seKonfQ73GOffsA", 20 + 1 + 5},
        {8, 5, true, true, true, false, "Q73G", "seKonfQ73GMaxW", 200 + 1 + 4},
        {9, 5, true, true, true, false, "Q73G", "seKonfQ73GNum", 91},
        {10, 5, true, true, true, false, "Q73G", "seKonfQ73GDefR", 50 + 1 + 1},
        {11, 5, false, false, false, true, "ZK4", "seCharZK4OutMaxB", 30000 + 3 + 1},
        {12, 5, false, false, false, true, "ZK4", "seCharZK4OutMinA", 500 + 1},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.kind));
        UseKind(c.kind);
        FillConfig(Config(), 1);
        Show(c.kind);
        const tDeviceConfig uploaded = Config();
        w->showMainPage("Konfiguracio");
        Click(Konf().btnKonfEszkbe);
        ASSERT_EQ(Sent().size(), 1u);
        EXPECT_EQ(Log().last(), "Configuration sent to: 7FF3:00000001 - 0");

        // The page changes, then the device's configuration is read back.
        FillConfig(Config(), 4);
        Show(c.kind);
        auto* tabs = w->findChild<QTabWidget*>(QStringLiteral("pcKonf") + c.page);
        if (tabs) tabs->setCurrentIndex(tabs->count() - 1);
        w->showMainPage("RDM");
        Click(Spec().btnRdmGetConf);
        EXPECT_EQ(Log().last(), "Ready");
        EXPECT_EQ(w->mainPageCaption(), "Konfiguracio");
        EXPECT_EQ(ActivePageCaption(Konf().nbKonf), c.page);
        if (tabs) {
            EXPECT_EQ(tabs->currentIndex(), 0) << "the page opens on its first tab";
        }
        EXPECT_EQ(Find<QSpinBox>(c.control)->value(), c.shown);

        const tDeviceConfig& got = Config();
        for (int ch = 1; ch <= c.channels; ++ch) {
            // The ZK4 page shows only the first channel's input range.
            if (c.outputs && ch > 1) continue;
            EXPECT_EQ(got.Min[ch], uploaded.Min[ch]) << ch;
            EXPECT_EQ(got.Max[ch], uploaded.Max[ch]) << ch;
        }
        for (int ch = 1; ch <= c.channels; ++ch) {
            EXPECT_EQ(got.Def[ch], uploaded.Def[ch]) << ch;
            EXPECT_DOUBLE_EQ(got.Gamma[ch], uploaded.Gamma[ch]) << ch;
            if (!c.outputs) {
                EXPECT_EQ(got.Offs[ch], uploaded.Offs[ch]) << ch;
            } else {
                EXPECT_EQ(got.OutMin[ch], uploaded.OutMin[ch]) << ch;
                EXPECT_EQ(got.OutStart[ch], uploaded.OutStart[ch]) << ch;
                EXPECT_EQ(got.OutMax[ch], uploaded.OutMax[ch]) << ch;
            }
        }
        if (c.stepTimes) {
            EXPECT_EQ(got.Speed, uploaded.Speed);
            EXPECT_EQ(got.Wait, uploaded.Wait);
        }
        if (c.curveFlags) {
            EXPECT_EQ(got.WhiteBalance, uploaded.WhiteBalance);
            EXPECT_EQ(got.Infra, uploaded.Infra);
        }
        if (c.curveFlags || c.outputs) {
            EXPECT_EQ(got.LinearCurve, uploaded.LinearCurve);
        }
        if (c.tail || c.outputs) {
            EXPECT_EQ(got.Overheat, uploaded.Overheat);
            EXPECT_EQ(got.HzNumber, uploaded.HzNumber);
        }
    }
}

TEST_F(ReadBackTest, TheFiveChannelPagesShowWAndAOnlyForFiveChannelDevices) {
    for (auto [kind, defW, visible] :
         {std::tuple{12, "seKonfZK4DefW", true}, std::tuple{11, "seKonfZK4DefW", false},
          std::tuple{8, "seKonfQ73GDefA", true}, std::tuple{9, "seKonfQ73GDefA", false}}) {
        UseKind(uint8_t(kind));
        dev->config.assign(size_t(dev->ConfigLength()), 0);
        Click(Spec().btnRdmGetConf);
        EXPECT_EQ(!Find<QSpinBox>(defW)->isHidden(), visible) << kind;
    }
}

TEST_F(ReadBackTest, ARefusedConfigurationReadChangesNothing) {
    UseKind(2);
    FillConfig(Config(), 2);
    const tDeviceConfig before = Config();
    w->showMainPage("RDM");
    dev->nackAt = 1;
    Click(Spec().btnRdmGetConf);
    EXPECT_EQ(Config().Def, before.Def);
    EXPECT_EQ(Config().Speed, before.Speed);
    EXPECT_EQ(w->mainPageCaption(), "RDM");
    EXPECT_EQ(Log().last(), "Configuration not read, refused (NACK reason 0x0006): 7FF3:00000001 - 0");
}

// The oldest controller: its configuration block and its 32 program blocks,
// laid out as its memory holds them (little-endian words).
class MemoryReadTest : public ReadBackTest {
public:
    void SetUp() override {
        ReadBackTest::SetUp();
        UseKind(1);
    }
    static void PutLE(uint8_t* b, int i, uint16_t v) {
        b[i] = uint8_t(v);
        b[i + 1] = uint8_t(v >> 8);
    }
};

TEST_F(MemoryReadTest, ProgramsComeFromTheThirtyTwoBlocks) {
    std::vector<uint8_t> image(32 * 192, 0xEE); // past 6000: bytes the image has no room for
    std::fill(image.begin(), image.begin() + 6000, 0);
    for (int p = 1; p <= 9; ++p) {
        uint8_t* h = image.data() + 18 * p;
        h[0] = uint8_t(11 - p);
        PutLE(h, 3, uint16_t(p == 3 ? 0 : 700 + p));
        PutLE(h, 6, uint16_t(p == 3 ? 0 : 40 * p));
        h[9] = uint8_t(p % 2);
        for (int s = 1; s <= 10; ++s)
            for (int d = 1; d <= 20; ++d)
                for (int c = 0; c < 3; ++c)
                    image[size_t(600 * p + 60 * (s - 1) + 3 * (d - 1) + c)] = uint8_t(p + s * d + c);
    }
    std::copy(image.begin(), image.end(), dev->memoryPrograms.begin());
    tProgramData& d = Programs();
    for (int p = 1; p <= 9; ++p)
        d.ProgramSpeedOn[p] = 1;
    d.SetColour(5, 5, 5, 4, 0x77);
    d.EditorChannels = 5;
    w->ui->mFileSave->setEnabled(false);

    Click(Spec().btnRdmGetPrg);
    std::vector<int> asked;
    for (const auto& [cc, pid, data] : Sent())
        asked.push_back(pid == 0x8001 ? data[0] | (data[1] << 8) : -1);
    std::vector<int> blocks;
    for (int k = 0; k < 32; ++k)
        blocks.push_back(0x4400 + 0x80 * k);
    EXPECT_EQ(asked, blocks);

    int wrong = 0;
    for (int p = 1; p <= 9; ++p) {
        EXPECT_EQ(d.ProgramSteps[p], 11 - p);
        EXPECT_EQ(d.ProgramSpeed[p], p == 3 ? 0 : 700 + p);
        EXPECT_EQ(d.ProgramWait[p], p == 3 ? 0 : 40 * p);
        EXPECT_EQ(d.ProgramStepMode[p], p % 2);
        EXPECT_EQ(d.ProgramSpeedOn[p], p == 3 ? 0 : 1) << p;
        for (int s = 1; s <= 10; ++s)
            for (int dev = 1; dev <= 20; ++dev)
                for (int c = 0; c < 3; ++c)
                    wrong += d.Colour(p, s, dev, c + 1) != uint8_t(p + s * dev + c);
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(d.Colour(5, 5, 5, 4), 0x77);
    EXPECT_EQ(d.EditorChannels, 3);
    EXPECT_EQ(w->mainPageCaption(), "Programok");
    EXPECT_TRUE(w->ui->mFileSave->isEnabled());
    EXPECT_EQ(Log().last(), "Ready");
}

TEST_F(MemoryReadTest, TheConfigurationBlockFillsTheKelvarPage) {
    uint8_t* m = dev->memoryConfig.data();
    for (int i = 0; i < 9; ++i)
        m[i] = uint8_t(10 + i); // R, G, B: min, max, default
    m[10] = 0xC0;               // white balance, overheat
    for (int i = 1; i <= 9; ++i) {
        PutLE(m, 18 + 6 * (i - 1), uint16_t(100 * i));
        PutLE(m, 20 + 6 * (i - 1), uint16_t(7 * i));
        PutLE(m, 22 + 6 * (i - 1), 0xFFFF); // the spare word is not a time
    }
    // Brightness in 256ths; exact halves go to the even percentage.
    const uint16_t words[10] = {0x0080, 0x0100, 0x0002, 0x0006, 0x0020,
                                0x0060, 0x00A0, 0x0000, 0x0001, 0x00FF};
    const int percent[10] = {50, 100, 1, 2, 12, 38, 62, 0, 0, 100};
    for (int i = 0; i < 10; ++i)
        PutLE(m, 72 + 2 * i, words[i]);
    m[92] = 22, m[93] = 30, m[94] = 15;
    m[95] = 5, m[96] = 6, m[97] = 7;
    Config().Infra = 1;
    Config().Def[4] = 99;
    w->showMainPage("RDM");

    Click(Spec().btnRdmGetConf);
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(std::get<2>(Sent()[0]), (Data{0x00, 0x40}));
    const tDeviceConfig& c = Config();
    for (int ch = 1; ch <= 3; ++ch) {
        EXPECT_EQ(c.Min[ch], 10 + 3 * (ch - 1));
        EXPECT_EQ(c.Max[ch], 11 + 3 * (ch - 1));
        EXPECT_EQ(c.Def[ch], 12 + 3 * (ch - 1));
        EXPECT_EQ(c.Offs[ch], 4 + ch);
    }
    EXPECT_DOUBLE_EQ(c.Gamma[1], 2.2);
    EXPECT_DOUBLE_EQ(c.Gamma[3], 1.5);
    EXPECT_EQ(c.WhiteBalance, 1);
    EXPECT_EQ(c.Overheat, 1);
    EXPECT_EQ(c.Infra, 1);
    EXPECT_EQ(c.Def[4], 99);
    for (int i = 1; i <= 9; ++i) {
        EXPECT_EQ(c.Speed[i], 100 * i) << i;
        EXPECT_EQ(c.Wait[i], 7 * i) << i;
    }
    for (int i = 1; i <= 10; ++i) {
        EXPECT_EQ(c.Brightness[i], percent[i - 1]) << i;
        EXPECT_EQ(Find<QSpinBox>("seBright" + QString::number(i))->value(), percent[i - 1]) << i;
    }
    EXPECT_EQ(Find<QLineEdit>("meWait2")->text(), "00:00.70");
    EXPECT_EQ(Konf().seKonfDefB->value(), 18);
    EXPECT_EQ(ActivePageCaption(Konf().nbKonf), "Kelvar");
    EXPECT_EQ(Konf().pcKarakt->currentIndex(), 0);
    EXPECT_EQ(w->mainPageCaption(), "Konfiguracio");
    EXPECT_EQ(Log().last(), "Ready");
    EXPECT_EQ(w->ConfigDeviceCode, 3);
}

TEST_F(MemoryReadTest, AnAnswerForABlockOutsideTheProgramsStopsTheRead) {
    for (auto [at, address, line] :
         {std::tuple{3, 0x0000,
                     "Memory block out of range (address 0x0000), read stopped: 7FF3:00000001 - 0"},
          std::tuple{2, 0x5400,
                     "Memory block out of range (address 0x5400), read stopped: 7FF3:00000001 - 0"}}) {
        UseKind(1);
        ClearLog();
        dev->tamper = [at = at, address = address](int n, Data& d) {
            if (n == at) d[0] = uint8_t(address), d[1] = uint8_t(address >> 8);
        };
        Click(Spec().btnRdmGetPrg);
        EXPECT_EQ(Sent().size(), size_t(at));
        EXPECT_EQ(Log().last(), line);
    }
    UseKind(1);
    ClearLog();
    dev->nackAt = 5;
    Click(Spec().btnRdmGetPrg);
    EXPECT_EQ(Sent().size(), 5u);
    EXPECT_EQ(Log().last(), "Memory read stopped, refused (NACK reason 0x0006): 7FF3:00000001 - 0");
}
