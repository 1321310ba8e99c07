#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QLocale>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <functional>
#include <limits>

#include "app/Notebook.h"
#include "editor_fixture.h"
#include "rdm/RdmDevice.h"
#include "ui_KonfigPage.h"
#include "ui_Main.h"
#include "ui_ProgramPage.h"
#include "ui_RdmPage.h"
#include "views/DeviceTree.h"
#include "views/RdmPageView.h"

namespace {

class ConfigPagesTest : public EditorTest {
protected:
    void ShowModelPage(const QString& caption) { SelectPageByCaption(frm().konfUi->nbKonf, caption); }
    QString Text(const QString& edit) { return Find<QLineEdit>(edit)->text(); }
    int Spin(const QString& name) { return Find<QSpinBox>(name)->value(); }
    void TypeTime(const QString& name, const QString& digits) { Type(Find<QLineEdit>(name), digits); }
    QLineSeries* Series(const char* chart, int ch) { return config().Series(chart, ch); }
    // The value a page control shows of the record, by field name.
    static int Field(const tDeviceConfig& c, const QString& f, int ch) {
        if (f == "Def") return c.Def[ch];
        if (f == "Min") return c.Min[ch];
        if (f == "Max") return c.Max[ch];
        if (f == "Offs") return c.Offs[ch];
        if (f == "OutMin") return c.OutMin[ch];
        if (f == "OutMax") return c.OutMax[ch];
        if (f == "Gamma") return int(std::lround(c.Gamma[ch] * 10));
        if (f == "WB") return c.WhiteBalance;
        if (f == "OH") return c.Overheat;
        if (f == "Lin") return c.LinearCurve;
        if (f == "Inf") return c.Infra;
        if (f == "Hz") return c.HzNumber;
        ADD_FAILURE() << f.toStdString();
        return -1;
    }
};

// Restores the number format after a test that chose one.
struct LocaleGuard {
    explicit LocaleGuard(const QLocale& l) { QLocale::setDefault(l); }
    ~LocaleGuard() { QLocale::setDefault(saved); }
    QLocale saved;
};

// A record whose every field differs from the factory values and from each other.
tDeviceConfig Distinct() {
    tDeviceConfig c;
    for (int ch = 1; ch <= 5; ++ch) {
        c.Def[ch] = uint8_t(10 + ch);
        c.Min[ch] = uint8_t(20 + ch);
        c.Max[ch] = uint8_t(200 + ch);
        c.OutMin[ch] = uint16_t(100 * ch);
        c.OutMax[ch] = uint16_t(30000 + ch);
        c.Gamma[ch] = 1.0 + ch / 2.0; // whole tenths
        c.Offs[ch] = uint8_t(40 + ch);
    }
    c.Infra = 1;
    c.HzNumber = 110;
    for (int i = 1; i <= 9; ++i) {
        c.Speed[i] = uint16_t(100 * i + 1);
        c.Wait[i] = uint16_t(50 * i);
    }
    for (int i = 1; i <= 10; ++i)
        c.Brightness[i] = uint8_t(9 * i);
    return c;
}

} // namespace

TEST_F(ConfigPagesTest, StartUpShowsFactoryValuesOnKelvarWithTheZK4PageShowing) {
    EXPECT_EQ(ActivePageCaption(frm().konfUi->nbKonf), "ZK4");
    EXPECT_EQ(Text("meSpeed1"), "01:00.00");
    EXPECT_EQ(Text("meSpeed9"), "00:01.00");
    // With "ZK4" showing, the start-up redraws take the ZK4 shape from zero output levels.
    for (int ch = 1; ch <= 3; ++ch) {
        EXPECT_EQ(config().CurveTable[ch][255], 0) << ch;
        EXPECT_EQ(Series("ChartZK4", ch)->count(), 256);
        EXPECT_EQ(Series("Chart1", ch)->count(), 0);
    }
}

TEST_F(ConfigPagesTest, GammaSliderAndLabel) {
    LocaleGuard hungarian{QLocale(QLocale::Hungarian, QLocale::Hungary)};
    C().Gamma[1] = 2.2;
    C().Gamma[2] = 3.0;
    config().ShowConfigPage();
    EXPECT_EQ(Find<QSlider>("tbKarGamR")->value(), 22);
    EXPECT_EQ(Find<QLabel>("lKarGamR")->text(), "2,2");
    EXPECT_EQ(Find<QLabel>("lKarGamG")->text(), "3,0");

    // A slider sets the channel's label on every page that has one.
    Find<QSlider>("tbKonfQ7GammaG")->setValue(45);
    EXPECT_DOUBLE_EQ(C().Gamma[2], 4.5);
    for (const char* l :
         {"lKarGamG", "lKonfQ7GammaG", "lKonfQ9subGammaG", "lKonfQ73GGammaG", "lKonfZK4GammaG"})
        EXPECT_EQ(Find<QLabel>(l)->text(), "4,5") << l;
    Find<QSlider>("tbKonfZK4GammaA")->setValue(50);
    EXPECT_EQ(Find<QLabel>("lKonfQ73GGammaA")->text(), "5,0");
    EXPECT_EQ(Find<QLabel>("lKarGamR")->text(), "2,2");

    LocaleGuard english{QLocale(QLocale::English, QLocale::UnitedStates)};
    EXPECT_EQ(ConfigPages::GammaText(22), "2.2");
}

TEST_F(ConfigPagesTest, OutputFrequency) {
    // 0 is free running on Q7 and Q9Root: the number is disabled (Q7 shows 85 then).
    for (int hz : {100, 0}) {
        C().HzNumber = uint16_t(hz);
        config().ShowQ7Config();
        config().ShowQ9RootConfig();
        for (QString m : {"KonfQ7", "KonfQ9root"}) {
            EXPECT_TRUE(Find<QRadioButton>("rb" + m + (hz ? "Hz" : "Free"))->isChecked())
                << m.toStdString() << hz;
            EXPECT_EQ(Find<QSpinBox>("se" + m + "Num")->isEnabled(), hz != 0) << m.toStdString() << hz;
        }
        EXPECT_EQ(Spin("seKonfQ7Num"), hz ? hz : 85);
        EXPECT_EQ(C().HzNumber, hz); // showing writes nothing back
    }

    // The user's choice of the radio buttons switches the number.
    frm().showMainPage("Konfiguracio");
    ShowModelPage("Q9Root");
    QTest::mouseClick(Find<QRadioButton>("rbKonfQ9rootHz"), Qt::LeftButton);
    EXPECT_TRUE(Find<QSpinBox>("seKonfQ9rootNum")->isEnabled());
    Find<QRadioButton>("rbKonfQ7Hz")->setChecked(true);
    Find<QRadioButton>("rbKonfQ7Free")->setChecked(true);
    EXPECT_FALSE(Find<QSpinBox>("seKonfQ7Num")->isEnabled());

    // Q73G and ZK4 have no free-running choice: 0 shows as the lowest
    // frequency, which the spin edit's handler writes back.
    C().HzNumber = 0;
    config().ShowQ73GConfig(3);
    EXPECT_EQ(Spin("seKonfQ73GNum"), 80);
    EXPECT_EQ(C().HzNumber, 80);
    Find<QSpinBox>("seKonfZK4Num")->setValue(1000);
    EXPECT_EQ(C().HzNumber, 1000);
}

TEST_F(ConfigPagesTest, ChannelCountShowsOrHidesWhiteAndAmber) {
    const QStringList q73g{"seKonfQ73GDef",  "lKonfQ73GDefCap", "seKonfQ73GMin",
                           "seKonfQ73GMax",  "tbKonfQ73GGamma", "lKonfQ73GGamma",
                           "fKonfQ73GGamma", "seKonfQ73GOffs",  "lKonfQ73GCharCap"};
    const QStringList zk4{"seKonfZK4Def",  "lKonfZK4DefCap",  "tbKonfZK4Gamma",  "lKonfZK4Gamma",
                          "fKonfZK4Gamma", "seCharZK4OutMax", "seCharZK4OutMin", "lKonfZK4CharCap"};
    // {controls, channel count, letters shown, letters hidden}
    struct Row {
        const QStringList& names;
        int channels;
        QString shown, hidden;
    } rows[] = {{q73g, 3, "RGB", "WA"},
                {q73g, 4, "RGBW", "A"},
                {q73g, 5, "RGBWA", ""},
                {zk4, 4, "RGB", "WA"},
                {zk4, 5, "RGBWA", ""}};
    for (const Row& r : rows) {
        (&r.names == &q73g) ? config().ShowQ73GConfig(r.channels) : config().ShowZK4Config(r.channels);
        for (const QString& name : r.names)
            for (QChar l : r.shown + r.hidden)
                EXPECT_EQ(Find<QWidget>(name + l)->isHidden(), r.hidden.contains(l))
                    << (name + l).toStdString() << " with " << r.channels;
    }
}

// Each model page shows each field of the record in its control, a user's edit
// of the control writes the field back, and the page's step times read back
// what was shown.
TEST_F(ConfigPagesTest, EveryModelPageShowsAndWritesItsFields) {
    struct Page {
        const char* caption;
        std::function<void()> show;
        std::function<bool()> read; // reads the step times (null: none of its own)
        int channels;
        QStringList perChannel, single; // "control=field"; per-channel controls end in R, G, B, W, A
    };
    // clang-format off
    const Page pages[] = {
        {"Kelvar", [&] { config().ShowConfigPage(); }, [&] { return config().ReadConfigPage(); }, 3,
         {"seKonfDef=Def", "seKarMin=Min", "seKarMax=Max", "tbKarGam=Gamma", "seKarOffs=Offs"},
         {"cbKonfKelvarFehEgyens=WB", "cbKonfKelvarTulmeleg=OH"}},
        {"Q7", [&] { config().ShowQ7Config(); }, [&] { return config().ReadQ7StepTimes(); }, 3,
         {"seKonfQ7Def=Def", "seKonfQ7Min=Min", "seKonfQ7Max=Max", "tbKonfQ7Gamma=Gamma",
          "seKonfQ7Offs=Offs"},
         {"cbKonfQ7FehEgyens=WB", "cbKonfQ7Tulmeleg=OH", "cbKonfQ7LinKarakt=Lin", "cbKonfQ7Infra=Inf"}},
        {"Q9Root", [&] { config().ShowQ9RootConfig(); }, nullptr, 0, {}, {"cbKonfQ9rootTulmeleg=OH"}},
        {"Q9Sub", [&] { config().ShowQ9SubConfig(); }, [&] { return config().ReadQ9SubStepTimes(); }, 3,
         {"seKonfQ9SubDef=Def", "seKonfQ9SubMin=Min", "seKonfQ9SubMax=Max", "tbKonfQ9subGamma=Gamma",
          "seKonfQ9subOffs=Offs"},
         {"cbKonfQ9SubFehEgyens=WB", "cbKonfQ9SubLinKarakt=Lin", "cbKonfQ9SubInfra=Inf"}},
        {"Q73G", [&] { config().ShowQ73GConfig(5); }, [&] { return config().ReadQ73GStepTimes(); }, 5,
         {"seKonfQ73GDef=Def", "seKonfQ73GMin=Min", "seKonfQ73GMax=Max", "tbKonfQ73GGamma=Gamma",
          "seKonfQ73GOffs=Offs"},
         {"cbKonfQ73GFehEgyens=WB", "cbKonfQ73GTulmeleg=OH", "cbKonfQ73GLinKarakt=Lin", "cbKonfQ73GInfra=Inf",
          "seKonfQ73GNum=Hz"}},
        {"ZK4", [&] { config().ShowZK4Config(5); }, nullptr, 5,
         {"seKonfZK4Def=Def", "tbKonfZK4Gamma=Gamma", "seCharZK4OutMax=OutMax", "seCharZK4OutMin=OutMin"},
         {"seCharZK4InMin=Min", "seCharZK4InMax=Max", "cbKonfZK4Tulmeleg=OH", "cbKonfZK4LinKarakt=Lin",
          "seKonfZK4Num=Hz"}},
    };
    // clang-format on
    const tDeviceConfig want = Distinct();
    for (const Page& page : pages) {
        SCOPED_TRACE(page.caption);
        std::vector<std::tuple<QString, QString, int>> controls; // {name, field, channel}
        for (const QString& entry : page.perChannel)
            for (int ch = 1; ch <= page.channels; ++ch)
                controls.push_back(
                    {entry.section('=', 0, 0) + QString("RGBWA")[ch - 1], entry.section('=', 1), ch});
        for (const QString& entry : page.single)
            controls.push_back({entry.section('=', 0, 0), entry.section('=', 1), 1});

        C() = want;
        page.show();
        for (auto& [name, field, ch] : controls)
            EXPECT_EQ(Field(C(), field, ch), Field(want, field, ch))
                << name.toStdString() << ": clamped on the way";
        for (auto& [name, field, ch] : controls) {
            const std::string n = name.toStdString();
            if (auto* s = frm().findChild<QSpinBox*>(name)) {
                EXPECT_EQ(s->value(), Field(want, field, ch)) << n;
                s->setValue(s->value() == s->maximum() ? s->minimum() : s->value() + 1);
                EXPECT_EQ(Field(C(), field, ch), s->value()) << n;
            } else if (auto* t = frm().findChild<QSlider*>(name)) {
                EXPECT_EQ(t->value(), Field(want, field, ch)) << n;
                t->setValue(37);
                EXPECT_EQ(Field(C(), field, ch), 37) << n;
            } else {
                QCheckBox* b = Find<QCheckBox>(name);
                EXPECT_EQ(b->isChecked(), Field(want, field, ch) != 0) << n;
                b->click();
                EXPECT_EQ(Field(C(), field, ch) != 0, b->isChecked()) << n;
            }
        }
        if (!page.read) continue;
        C() = want;
        page.show();
        C() = tDeviceConfig{};
        C().WhiteBalance = C().Overheat = 1;
        ASSERT_TRUE(page.read());
        EXPECT_EQ(C().Speed, want.Speed);
        EXPECT_EQ(C().Wait, want.Wait);
        if (page.caption != std::string("Kelvar")) continue;
        // The "Kelvar" page is read whole.
        EXPECT_EQ(C().Brightness, want.Brightness);
        for (auto& [name, field, ch] : controls)
            EXPECT_EQ(Field(C(), field, ch), Field(want, field, ch)) << name.toStdString() << " read back";
    }
}

TEST_F(ConfigPagesTest, StepTimesNormaliseAndUnreadableOnesKeepTheStoredTime) {
    C() = Distinct();
    config().ShowQ7Config();
    EXPECT_EQ(Text("meKonfQ7Wait2"), "00:05.00"); // 100 units
    // The edits write the record only when a page is read.
    TypeTime("meKonfQ7Speed1", "127500");
    EXPECT_EQ(Text("meKonfQ7Speed1"), "12:59.00");
    TypeTime("meKonfQ7Wait1", "350000");
    EXPECT_EQ(Text("meKonfQ7Wait1"), "30:00.00");
    EXPECT_EQ(C().Speed[1], 101);
    ASSERT_TRUE(config().ReadQ7StepTimes());
    EXPECT_EQ(C().Speed[1], 12 * 1200 + 59 * 20);
    EXPECT_EQ(C().Wait[1], 36000);

    config().ShowConfigPage();
    TypeTime("meSpeed2", "1");
    EXPECT_EQ(Text("meSpeed2"), "00:10.05");  // the record's time again
    Find<QLineEdit>("meWait7")->setText("0"); // left unreadable without leaving the edit
    Find<QLineEdit>("meSpeed1")->setText("02:00.00");
    EXPECT_FALSE(config().ReadConfigPage());
    EXPECT_EQ(C().Wait[7], 350);
    EXPECT_EQ(Text("meWait7"), "00:17.50");
    EXPECT_EQ(C().Speed[1], 2400); // the readable ones are taken
    EXPECT_TRUE(config().ReadConfigPage());
}

// A record from a damaged file or device: every page shows it within its
// controls' ranges, the handlers write the shown values back, and the curves
// of either shape are drawn from it without harm.
TEST_F(ConfigPagesTest, DamagedRecordsShowClampedAndDrawSafely) {
    const double gammas[] = {std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity(), -3.0, 1e300, 0.0};
    // NaN and 0 show at 1,0; infinity and 1e300 at 5,0; -3 at 1,0; the record follows.
    const int positions[] = {10, 50, 10, 50, 10};
    for (const char* shape : {"Kelvar", "ZK4"}) {
        SCOPED_TRACE(shape);
        ShowModelPage(shape);
        tDeviceConfig& c = C();
        for (int ch = 1; ch <= 5; ++ch) {
            c.Def[ch] = c.Min[ch] = c.Offs[ch] = 255;
            c.Max[ch] = 0;
            c.OutMin[ch] = c.OutMax[ch] = c.OutStart[ch] = 65535;
            c.Gamma[ch] = gammas[ch - 1];
        }
        c.HzNumber = 65535;
        c.Speed.fill(65535);
        c.Wait.fill(65535);
        c.Brightness.fill(255);
        config().ShowConfigPage();
        config().ShowQ7Config();
        config().ShowQ9RootConfig();
        config().ShowQ9SubConfig();
        config().ShowQ73GConfig(5);
        config().ShowZK4Config(5);
        for (int ch = 1; ch <= 5; ++ch)
            config().DrawCharacteristic(ch);

        EXPECT_EQ(Text("meKonfQ73GWait9"), "30:00.00");
        EXPECT_EQ(Spin("seKonfQ7Num"), 125);
        EXPECT_TRUE(Find<QRadioButton>("rbKonfQ7Hz")->isChecked());
        const std::tuple<const char*, int, int> clamped[] = {{"seKonfZK4Num", C().HzNumber, 1200},
                                                             {"seKarOffsG", C().Offs[2], 50},
                                                             {"seCharZK4OutMinA", C().OutMin[5], 40000},
                                                             {"seCharZK4InMin", C().Min[1], 127}};
        for (auto [spin, field, value] : clamped) {
            EXPECT_EQ(Spin(spin), value) << spin;
            EXPECT_EQ(field, value) << spin;
        }
        for (int ch = 1; ch <= 5; ++ch) {
            const QString l = QString("RGBWA")[ch - 1];
            EXPECT_EQ(Find<QSlider>("tbKonfZK4Gamma" + l)->value(), positions[ch - 1]) << ch;
            EXPECT_EQ(Find<QLabel>("lKonfZK4Gamma" + l)->text(), ConfigPages::GammaText(positions[ch - 1]))
                << ch;
            EXPECT_DOUBLE_EQ(C().Gamma[ch], positions[ch - 1] / 10.0) << ch;
        }
        ASSERT_TRUE(config().ReadConfigPage());
        EXPECT_EQ(C().Brightness[10], 100);
        EXPECT_EQ(C().Speed[1], 36000);
    }
}

// The handlers shared by the pages redraw the generic curve, or the ZK4 curve
// with "ZK4" showing, into CurveTable and the charts.
TEST_F(ConfigPagesTest, HandlersRedrawTheCurveOfThePageShowing) {
    ShowModelPage("Kelvar");
    Find<QSlider>("tbKarGamR")->setValue(10);
    Find<QSlider>("tbKarGamR")->setValue(22);
    EXPECT_EQ(config().CurveTable[1][128], 8780);
    for (const char* chart : {"Chart1", "Chart2", "Chart3", "Chart4"}) {
        QLineSeries* s = Series(chart, 1);
        ASSERT_EQ(s->count(), 255) << chart;
        EXPECT_EQ(s->at(0).x(), 1);
        EXPECT_DOUBLE_EQ(s->at(127).y(), 8780 / 400.0);
        EXPECT_EQ(s->at(254).y(), 100.0);
    }
    EXPECT_EQ(Series("Chart4", 4)->pen().color(), QColor(255, 255, 0));     // W yellow
    EXPECT_EQ(Series("ChartZK4", 4)->pen().color(), QColor(192, 192, 192)); // W silver

    // Input 100 of a 0..200 range: itself without white balance, scaled (78) with it.
    for (int ch = 1; ch <= 3; ++ch) {
        C().Max[ch] = 200;
        C().Gamma[ch] = 1.0;
    }
    for (auto [wb, level] : {std::pair{false, 15686}, {true, 12235}}) {
        Find<QCheckBox>("cbKonfQ73GFehEgyens")->setChecked(!wb);
        Find<QCheckBox>("cbKonfQ73GFehEgyens")->click();
        EXPECT_EQ(C().WhiteBalance, wb);
        for (int ch = 1; ch <= 3; ++ch)
            EXPECT_EQ(config().CurveTable[ch][100], level) << ch;
    }

    // With "ZK4" showing; its input range belongs to channel 1 alone.
    ShowModelPage("ZK4");
    const double generic = Series("Chart1", 1)->at(127).y();
    C().OutStart[1] = 1000;
    C().OutMax[1] = 40000;
    C().Max[1] = 255;
    Find<QSlider>("tbKonfZK4GammaR")->setValue(11);
    Find<QSlider>("tbKonfZK4GammaR")->setValue(10);
    EXPECT_EQ(config().CurveTable[1][1], 1000);
    EXPECT_EQ(config().CurveTable[1][128], 20500);
    EXPECT_EQ(Series("ChartZK4", 1)->count(), 256);
    EXPECT_DOUBLE_EQ(Series("ChartZK4", 1)->at(128).y(), 20500 / 400.0);
    EXPECT_DOUBLE_EQ(Series("Chart1", 1)->at(127).y(), generic); // the generic charts keep theirs
    const tCurveRow green = config().CurveTable[2];
    Find<QSpinBox>("seCharZK4InMin")->setValue(100);
    Find<QSpinBox>("seCharZK4InMax")->setValue(200);
    EXPECT_EQ(C().Min[1], 100);
    EXPECT_EQ(C().Max[1], 200);
    EXPECT_EQ(C().Min[2], 0);
    EXPECT_EQ(config().CurveTable[1][100], C().OutMin[1]);
    EXPECT_EQ(config().CurveTable[1][101], 1000);
    EXPECT_EQ(config().CurveTable[1][201], 40000);
    EXPECT_EQ(config().CurveTable[2], green);
}

TEST_F(ConfigPagesTest, NewConfigurationMenu) {
    editor().SetPrgDmxFontColour(ProgramEditor::kDmxOnColour);
    frm().prgUi->btnPrgEszkozbe->setEnabled(false);
    frm().konfUi->pcKarakt->setCurrentIndex(1);
    C().Speed[1] = 5;
    C().Def[4] = 7;
    frm().ui->mFileSave->setEnabled(false);
    frm().ui->mFileUjKonf->trigger();
    EXPECT_EQ(editor().PrgDmxFontColour(), ProgramEditor::kDmxOffColour);
    EXPECT_TRUE(frm().prgUi->btnPrgEszkozbe->isEnabled());
    EXPECT_EQ(C().Speed[1], 1200);
    EXPECT_EQ(C().Def[4], 7); // white and amber are not part of the factory values
    EXPECT_EQ(Text("meSpeed1"), "01:00.00");
    EXPECT_EQ(frm().mainPageCaption(), "Konfiguracio");
    EXPECT_EQ(frm().konfUi->pcKarakt->currentIndex(), 0);
    // Save shows on the programs page only; there it is now enabled.
    frm().showMainPage("Programok");
    EXPECT_TRUE(frm().ui->mFileSave->isEnabled());

    // A button already red stays as it is.
    frm().prgUi->btnPrgEszkozbe->setEnabled(false);
    frm().ui->mFileUjKonf->trigger();
    EXPECT_FALSE(frm().prgUi->btnPrgEszkozbe->isEnabled());

    // File > New > Characteristic has no page to show.
    frm().ui->mFileUjKarakt->trigger();
    EXPECT_EQ(frm().mainPageCaption(), "Konfiguracio");
}

TEST_F(ConfigPagesTest, WindowMenuShowsThePageOfTheSelectedDevice) {
    std::optional<int> kind;
    config().selectedDeviceKind = [&] { return kind; };
    // Nothing selected and a kind without a page change nothing.
    const std::pair<std::optional<int>, const char*> pages[] = {{std::nullopt, nullptr},
                                                                {5, nullptr},
                                                                {1, "Kelvar"},
                                                                {2, "Q7"},
                                                                {3, "Q9Root"},
                                                                {4, "Q9Sub"},
                                                                {7, "Q73G"},
                                                                {10, "Q73G"},
                                                                {11, "ZK4"},
                                                                {12, "ZK4"}};
    for (auto [k, caption] : pages) {
        frm().showMainPage("RDM");
        kind = k;
        frm().konfUi->pcKonfQ7->setCurrentIndex(1);
        frm().ui->mAblakKonfig->trigger();
        EXPECT_EQ(ActivePageCaption(frm().konfUi->nbKonf), caption ? caption : "ZK4") << k.value_or(0);
        EXPECT_EQ(frm().mainPageCaption(), caption ? "Konfiguracio" : "RDM") << k.value_or(0);
    }
    EXPECT_EQ(frm().konfUi->pcKonfQ7->currentIndex(), 1);
    kind = 2;
    frm().ui->mAblakKonfig->trigger();
    EXPECT_EQ(frm().konfUi->pcKonfQ7->currentIndex(), 0);
}

TEST_F(ConfigPagesTest, WindowMenuFollowsTheDeviceChosenInTheTree) {
    frm().rdmUi->btnDemoDisc->click();
    QTreeWidget* tree = frm().rdmUi->tvDeviceList;
    QTreeWidgetItem* q7 = nullptr;
    for (QTreeWidgetItemIterator it(tree); *it && !q7; ++it)
        if (tRdmDevice* rec = DeviceRecord(*it); rec && rec->DeviceKind == 2) q7 = *it;
    ASSERT_NE(q7, nullptr);
    tree->setCurrentItem(q7);
    frm().rdmView->tvDeviceListClick();
    ASSERT_NE(frm().rdmView->RdmCurrentNode(), 0);
    frm().ui->mAblakKonfig->trigger();
    EXPECT_EQ(frm().mainPageCaption(), "Konfiguracio");
    EXPECT_EQ(ActivePageCaption(frm().konfUi->nbKonf), "Q7");
}
