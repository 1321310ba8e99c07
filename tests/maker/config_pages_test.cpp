#include <QCheckBox>
#include <QChartView>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <functional>
#include <limits>

#include "app/Notebook.h"
#include "editor_fixture.h"
#include "rdm/RdmDevice.h"
#include "ui_KonfigPage.h"
#include "ui_RdmPage.h"
#include "views/DeviceTree.h"
#include "views/RdmPageView.h"
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include "ui_Main.h"
#include "ui_ProgramPage.h"

namespace {

class ConfigPagesTest : public EditorTest {
protected:
    void ShowModelPage(const QString& caption) { SelectPageByCaption(frm().konfUi->nbKonf, caption); }
    QString Text(const QString& edit) { return W<QLineEdit>(edit)->text(); }
    int Spin(const QString& name) { return W<QSpinBox>(name)->value(); }
    // Types a time into a step-time edit and leaves it with Return.
    void TypeTime(const QString& name, const QString& digits) {
        QLineEdit* e = W<QLineEdit>(name);
        e->setFocus();
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        e->setCursorPosition(0);
        QTest::keyClicks(e, digits);
        QTest::keyClick(e, Qt::Key_Return);
    }
    QLineSeries* Series(const char* chart, int ch) { return config().Series(chart, ch); }
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
        c.Gamma[ch] = 1.0 + ch / 2.0;
        c.Offs[ch] = uint8_t(40 + ch);
    }
    c.WhiteBalance = 0;
    c.Overheat = 0;
    c.LinearCurve = 0;
    c.Infra = 1;
    c.HzNumber = 110;
    for (int i = 1; i <= 9; ++i) {
        c.Speed[i] = uint16_t(100 * i + 1);
        c.Wait[i] = uint16_t(50 * i);
    }
    for (int i = 1; i <= 10; ++i) c.Brightness[i] = uint8_t(9 * i);
    return c;
}

}  // namespace

TEST_F(ConfigPagesTest, StartUpShowsFactoryValuesOnKelvarWithTheZK4PageShowing) {
    EXPECT_EQ(ActivePageCaption(frm().konfUi->nbKonf), "ZK4");
    const char* speeds[] = {"01:00.00", "00:30.00", "00:20.00", "00:15.00", "00:10.00",
                            "00:05.00", "00:03.00", "00:02.00", "00:01.00"};
    for (int i = 1; i <= 9; ++i) {
        EXPECT_EQ(Text(QString("meSpeed%1").arg(i)), speeds[i - 1]) << i;
        EXPECT_EQ(Text(QString("meWait%1").arg(i)), "00:00.00") << i;
    }
    EXPECT_EQ(Spin("seKarMaxG"), 255);
    EXPECT_EQ(W<QSlider>("tbKarGamB")->value(), 22);
    EXPECT_EQ(Spin("seBright8"), 50);
    EXPECT_TRUE(W<QCheckBox>("cbKonfKelvarFehEgyens")->isChecked());
    EXPECT_EQ(C().Def[4], 0);
    EXPECT_DOUBLE_EQ(C().Gamma[5], 0.0);
    // With "ZK4" showing, the start-up redraws take the ZK4 shape from zero output levels.
    for (int ch = 1; ch <= 3; ++ch) {
        EXPECT_EQ(config().CurveTable[ch][255], 0) << ch;
        EXPECT_EQ(Series("ChartZK4", ch)->count(), 256);
        EXPECT_EQ(Series("Chart1", ch)->count(), 0);
    }
}

TEST_F(ConfigPagesTest, FactoryValuesLeaveWhiteAndAmberUntouched) {
    C().Def[4] = 7;
    C().Max[5] = 99;
    C().Gamma[4] = 3.3;
    C().OutMax[1] = 1234;
    frm().ui->mFileUjKonf->trigger();
    EXPECT_EQ(C().Def[4], 7);
    EXPECT_EQ(C().Max[5], 99);
    EXPECT_DOUBLE_EQ(C().Gamma[4], 3.3);
    EXPECT_EQ(C().OutMax[1], 1234);
    EXPECT_EQ(C().Speed[2], 600);
}

TEST_F(ConfigPagesTest, GammaSliderAndLabel) {
    LocaleGuard hungarian{QLocale(QLocale::Hungarian, QLocale::Hungary)};
    C().Gamma[1] = 2.2;
    C().Gamma[2] = 3.0;
    C().Gamma[3] = 1.2;
    config().ShowConfigPage();
    EXPECT_EQ(W<QSlider>("tbKarGamR")->value(), 22);
    EXPECT_EQ(W<QLabel>("lKarGamR")->text(), "2,2");
    EXPECT_EQ(W<QLabel>("lKarGamG")->text(), "3,0");
    C().Gamma[3] = 0;
    ASSERT_TRUE(config().ReadConfigPage());
    EXPECT_DOUBLE_EQ(C().Gamma[3], 1.2);

    // A slider sets the channel's label on every page that has one.
    W<QSlider>("tbKonfQ7GammaG")->setValue(45);
    EXPECT_DOUBLE_EQ(C().Gamma[2], 4.5);
    for (const char* l : {"lKarGamG", "lKonfQ7GammaG", "lKonfQ9subGammaG", "lKonfQ73GGammaG", "lKonfZK4GammaG"})
        EXPECT_EQ(W<QLabel>(l)->text(), "4,5") << l;
    W<QSlider>("tbKonfZK4GammaA")->setValue(50);
    EXPECT_EQ(W<QLabel>("lKonfQ73GGammaA")->text(), "5,0");
    EXPECT_EQ(W<QLabel>("lKonfZK4GammaA")->text(), "5,0");
    EXPECT_EQ(W<QLabel>("lKarGamR")->text(), "2,2");
}

TEST_F(ConfigPagesTest, GammaLabelFollowsTheNumberFormat) {
    LocaleGuard english{QLocale(QLocale::English, QLocale::UnitedStates)};
    EXPECT_EQ(ConfigPages::GammaText(22), "2.2");
    EXPECT_EQ(ConfigPages::GammaText(30), "3.0");
}

TEST_F(ConfigPagesTest, OutputFrequencyOfQ7AndQ9Root) {
    C().HzNumber = 0;
    config().ShowQ7Config();
    EXPECT_TRUE(W<QRadioButton>("rbKonfQ7Free")->isChecked());
    EXPECT_FALSE(W<QSpinBox>("seKonfQ7Num")->isEnabled());
    EXPECT_EQ(Spin("seKonfQ7Num"), 85);
    EXPECT_EQ(C().HzNumber, 0);  // no handler writes the Q7 number back

    C().HzNumber = 100;
    config().ShowQ7Config();
    EXPECT_TRUE(W<QRadioButton>("rbKonfQ7Hz")->isChecked());
    EXPECT_TRUE(W<QSpinBox>("seKonfQ7Num")->isEnabled());
    EXPECT_EQ(Spin("seKonfQ7Num"), 100);

    config().ShowQ9RootConfig();
    EXPECT_TRUE(W<QRadioButton>("rbKonfQ9rootHz")->isChecked());
    EXPECT_TRUE(W<QSpinBox>("seKonfQ9rootNum")->isEnabled());
    C().HzNumber = 0;
    config().ShowQ9RootConfig();
    EXPECT_TRUE(W<QRadioButton>("rbKonfQ9rootFree")->isChecked());
    EXPECT_FALSE(W<QSpinBox>("seKonfQ9rootNum")->isEnabled());

    // The user's choice of the radio buttons switches the number.
    frm().showMainPage("Konfiguracio");
    ShowModelPage("Q9Root");
    QTest::mouseClick(W<QRadioButton>("rbKonfQ9rootHz"), Qt::LeftButton);
    EXPECT_TRUE(W<QSpinBox>("seKonfQ9rootNum")->isEnabled());
    W<QRadioButton>("rbKonfQ7Free")->setChecked(true);
    EXPECT_FALSE(W<QSpinBox>("seKonfQ7Num")->isEnabled());

    // Q73G and ZK4 have no free-running choice: 0 shows as the lowest
    // frequency, which the spin edit's handler writes back.
    C().HzNumber = 0;
    config().ShowQ73GConfig(3);
    EXPECT_EQ(Spin("seKonfQ73GNum"), 80);
    EXPECT_EQ(C().HzNumber, 80);
    W<QSpinBox>("seKonfZK4Num")->setValue(1000);
    EXPECT_EQ(C().HzNumber, 1000);
}

TEST_F(ConfigPagesTest, ChannelCountShowsOrHidesWhiteAndAmber) {
    const QStringList q73gW{"seKonfQ73GDefW", "lKonfQ73GDefCapW", "seKonfQ73GMinW", "seKonfQ73GMaxW",
                            "tbKonfQ73GGammaW", "lKonfQ73GGammaW", "fKonfQ73GGammaW", "seKonfQ73GOffsW",
                            "lKonfQ73GCharCapW"};
    auto hidden = [&](const QStringList& names, QChar letter) {
        int n = 0;
        for (QString name : names) {
            name.back() = letter;
            n += W<QWidget>(name)->isHidden() ? 1 : 0;
        }
        return n;
    };
    config().ShowQ73GConfig(3);
    EXPECT_EQ(hidden(q73gW, 'W'), q73gW.size());
    EXPECT_EQ(hidden(q73gW, 'A'), q73gW.size());
    EXPECT_EQ(hidden(q73gW, 'B'), 0);
    config().ShowQ73GConfig(4);
    EXPECT_EQ(hidden(q73gW, 'W'), 0);
    EXPECT_EQ(hidden(q73gW, 'A'), q73gW.size());
    config().ShowQ73GConfig(5);
    EXPECT_EQ(hidden(q73gW, 'A'), 0);

    const QStringList zk4W{"seKonfZK4DefW", "lKonfZK4DefCapW", "tbKonfZK4GammaW", "lKonfZK4GammaW",
                           "fKonfZK4GammaW", "seCharZK4OutMaxW", "seCharZK4OutMinW", "lKonfZK4CharCapW"};
    config().ShowZK4Config(4);
    EXPECT_EQ(hidden(zk4W, 'W'), zk4W.size());
    EXPECT_EQ(hidden(zk4W, 'A'), zk4W.size());
    EXPECT_EQ(hidden(zk4W, 'G'), 0);
    config().ShowZK4Config(5);
    EXPECT_EQ(hidden(zk4W, 'W'), 0);
    EXPECT_EQ(hidden(zk4W, 'A'), 0);
}

// Each page shows each field in its control, and a user's edit of the control
// writes the field back.
TEST_F(ConfigPagesTest, EveryPageShowsAndWritesItsFields) {
    struct Binding {
        const char* control;
        std::function<int(const tDeviceConfig&)> field;
    };
    auto def = [](int ch) { return [ch](const tDeviceConfig& c) { return int(c.Def[ch]); }; };
    auto mn = [](int ch) { return [ch](const tDeviceConfig& c) { return int(c.Min[ch]); }; };
    auto mx = [](int ch) { return [ch](const tDeviceConfig& c) { return int(c.Max[ch]); }; };
    auto offs = [](int ch) { return [ch](const tDeviceConfig& c) { return int(c.Offs[ch]); }; };
    auto outMax = [](int ch) { return [ch](const tDeviceConfig& c) { return int(c.OutMax[ch]); }; };
    auto outMin = [](int ch) { return [ch](const tDeviceConfig& c) { return int(c.OutMin[ch]); }; };
    auto gamma = [](int ch) { return [ch](const tDeviceConfig& c) { return int(std::lround(c.Gamma[ch] * 10)); }; };
    const QString letters = "RGBWA";

    struct Page {
        std::function<void()> show;
        std::vector<std::pair<QString, std::function<int(const tDeviceConfig&)>>> spins, sliders;
        std::vector<std::pair<QString, std::function<int(const tDeviceConfig&)>>> checks;
    };
    auto channels = [&](Page& p, int n, const QString& d, const QString& lo, const QString& hi, const QString& g,
                        const QString& o) {
        for (int ch = 1; ch <= n; ++ch) {
            const QChar l = letters[ch - 1];
            if (!d.isEmpty()) p.spins.push_back({d + l, def(ch)});
            if (!lo.isEmpty()) p.spins.push_back({lo + l, mn(ch)});
            if (!hi.isEmpty()) p.spins.push_back({hi + l, mx(ch)});
            p.sliders.push_back({g + l, gamma(ch)});
            if (!o.isEmpty()) p.spins.push_back({o + l, offs(ch)});
        }
    };
    auto wb = [](const tDeviceConfig& c) { return int(c.WhiteBalance); };
    auto oh = [](const tDeviceConfig& c) { return int(c.Overheat); };
    auto lin = [](const tDeviceConfig& c) { return int(c.LinearCurve); };
    auto inf = [](const tDeviceConfig& c) { return int(c.Infra); };

    std::vector<std::pair<QString, Page>> pages;
    Page kelvar{[&] { config().ShowConfigPage(); }, {}, {}, {}};
    channels(kelvar, 3, "seKonfDef", "seKarMin", "seKarMax", "tbKarGam", "seKarOffs");
    kelvar.checks = {{"cbKonfKelvarFehEgyens", wb}, {"cbKonfKelvarTulmeleg", oh}};
    pages.push_back({"Kelvar", kelvar});
    Page q7{[&] { config().ShowQ7Config(); }, {}, {}, {}};
    channels(q7, 3, "seKonfQ7Def", "seKonfQ7Min", "seKonfQ7Max", "tbKonfQ7Gamma", "seKonfQ7Offs");
    q7.checks = {{"cbKonfQ7FehEgyens", wb}, {"cbKonfQ7Tulmeleg", oh}, {"cbKonfQ7LinKarakt", lin}, {"cbKonfQ7Infra", inf}};
    pages.push_back({"Q7", q7});
    Page q9root{[&] { config().ShowQ9RootConfig(); }, {}, {}, {{"cbKonfQ9rootTulmeleg", oh}}};
    pages.push_back({"Q9Root", q9root});
    Page q9sub{[&] { config().ShowQ9SubConfig(); }, {}, {}, {}};
    channels(q9sub, 3, "seKonfQ9SubDef", "seKonfQ9SubMin", "seKonfQ9SubMax", "tbKonfQ9subGamma", "seKonfQ9subOffs");
    q9sub.checks = {{"cbKonfQ9SubFehEgyens", wb}, {"cbKonfQ9SubLinKarakt", lin}, {"cbKonfQ9SubInfra", inf}};
    pages.push_back({"Q9Sub", q9sub});
    Page q73g{[&] { config().ShowQ73GConfig(5); }, {}, {}, {}};
    channels(q73g, 5, "seKonfQ73GDef", "seKonfQ73GMin", "seKonfQ73GMax", "tbKonfQ73GGamma", "seKonfQ73GOffs");
    q73g.checks = {{"cbKonfQ73GFehEgyens", wb}, {"cbKonfQ73GTulmeleg", oh}, {"cbKonfQ73GLinKarakt", lin},
                   {"cbKonfQ73GInfra", inf}};
    q73g.spins.push_back({"seKonfQ73GNum", [](const tDeviceConfig& c) { return int(c.HzNumber); }});
    pages.push_back({"Q73G", q73g});
    Page zk4{[&] { config().ShowZK4Config(5); }, {}, {}, {}};
    channels(zk4, 5, "seKonfZK4Def", "", "", "tbKonfZK4Gamma", "");
    for (int ch = 1; ch <= 5; ++ch) {
        zk4.spins.push_back({QString("seCharZK4OutMax") + letters[ch - 1], outMax(ch)});
        zk4.spins.push_back({QString("seCharZK4OutMin") + letters[ch - 1], outMin(ch)});
    }
    zk4.spins.push_back({"seCharZK4InMin", mn(1)});
    zk4.spins.push_back({"seCharZK4InMax", mx(1)});
    zk4.spins.push_back({"seKonfZK4Num", [](const tDeviceConfig& c) { return int(c.HzNumber); }});
    zk4.checks = {{"cbKonfZK4Tulmeleg", oh}, {"cbKonfZK4LinKarakt", lin}};
    pages.push_back({"ZK4", zk4});

    for (auto& [caption, page] : pages) {
        SCOPED_TRACE(caption.toStdString());
        C() = Distinct();
        page.show();
        const tDeviceConfig shown = C();
        for (auto& [name, field] : page.spins) EXPECT_EQ(Spin(name), field(shown)) << name.toStdString();
        for (auto& [name, field] : page.sliders)
            EXPECT_EQ(W<QSlider>(name)->value(), field(shown)) << name.toStdString();
        for (auto& [name, field] : page.checks)
            EXPECT_EQ(W<QCheckBox>(name)->isChecked(), field(shown) != 0) << name.toStdString();
        // The shown values are the record's own (nothing was clamped on the way).
        for (auto& [name, field] : page.spins)
            if (name != "seCharZK4InMin") {
                EXPECT_EQ(field(shown), field(Distinct())) << name.toStdString();
            }

        for (auto& [name, field] : page.spins) {
            QSpinBox* s = W<QSpinBox>(name);
            s->setValue(s->value() == s->maximum() ? s->minimum() : s->value() + 1);
            EXPECT_EQ(field(C()), s->value()) << name.toStdString();
        }
        for (auto& [name, field] : page.sliders) {
            W<QSlider>(name)->setValue(37);
            EXPECT_EQ(field(C()), 37) << name.toStdString();
        }
        for (auto& [name, field] : page.checks) {
            W<QCheckBox>(name)->click();
            EXPECT_EQ(field(C()) != 0, W<QCheckBox>(name)->isChecked()) << name.toStdString();
        }
    }
}

TEST_F(ConfigPagesTest, StepTimesShowReadAndNormalise) {
    C() = Distinct();
    config().ShowConfigPage();
    config().ShowQ7Config();
    config().ShowQ9SubConfig();
    config().ShowQ73GConfig(3);
    EXPECT_EQ(Text("meSpeed3"), "00:15.05");  // 301 units
    EXPECT_EQ(Text("meKonfQ7Wait2"), "00:05.00");
    EXPECT_EQ(Text("meKonfQ9SubSpeed9"), "00:45.05");
    EXPECT_EQ(Text("meKonfQ73GWait9"), "00:22.50");

    // The edits write the record only when a page is read.
    TypeTime("meKonfQ7Speed1", "127500");
    EXPECT_EQ(Text("meKonfQ7Speed1"), "12:59.00");
    TypeTime("meKonfQ7Wait1", "350000");
    EXPECT_EQ(Text("meKonfQ7Wait1"), "30:00.00");
    EXPECT_EQ(C().Speed[1], 101);
    ASSERT_TRUE(config().ReadQ7StepTimes());
    EXPECT_EQ(C().Speed[1], 12 * 1200 + 59 * 20);
    EXPECT_EQ(C().Wait[1], 36000);

    TypeTime("meKonfQ73GWait4", "000105");
    ASSERT_TRUE(config().ReadQ73GStepTimes());
    EXPECT_EQ(C().Wait[4], 21);
    TypeTime("meKonfQ9SubSpeed2", "010000");
    ASSERT_TRUE(config().ReadQ9SubStepTimes());
    EXPECT_EQ(C().Speed[2], 1200);

    TypeTime("meSpeed5", "000210");
    TypeTime("meWait6", "000001");
    W<QSpinBox>("seBright4")->setValue(44);
    ASSERT_TRUE(config().ReadConfigPage());
    EXPECT_EQ(C().Speed[5], 42);
    EXPECT_EQ(C().Wait[6], 0);
    EXPECT_EQ(C().Brightness[4], 44);
}

// What a page shows, its readers give back unchanged: the whole "Kelvar" page
// and the step times of the three remote-controlled models.
TEST_F(ConfigPagesTest, ShowThenReadGivesTheRecordBack) {
    const tDeviceConfig want = Distinct();  // gammas 1.5, 2.0, 2.5: whole tenths
    C() = want;
    config().ShowConfigPage();
    C() = tDeviceConfig{};
    ASSERT_TRUE(config().ReadConfigPage());
    for (int ch = 1; ch <= 3; ++ch) {
        EXPECT_EQ(C().Def[ch], want.Def[ch]) << ch;
        EXPECT_EQ(C().Min[ch], want.Min[ch]) << ch;
        EXPECT_EQ(C().Max[ch], want.Max[ch]) << ch;
        EXPECT_DOUBLE_EQ(C().Gamma[ch], want.Gamma[ch]) << ch;
        EXPECT_EQ(C().Offs[ch], want.Offs[ch]) << ch;
    }
    EXPECT_EQ(C().WhiteBalance, want.WhiteBalance);
    EXPECT_EQ(C().Overheat, want.Overheat);
    EXPECT_EQ(C().Speed, want.Speed);
    EXPECT_EQ(C().Wait, want.Wait);
    EXPECT_EQ(C().Brightness, want.Brightness);

    const std::pair<std::function<void()>, std::function<bool()>> models[] = {
        {[&] { config().ShowQ7Config(); }, [&] { return config().ReadQ7StepTimes(); }},
        {[&] { config().ShowQ9SubConfig(); }, [&] { return config().ReadQ9SubStepTimes(); }},
        {[&] { config().ShowQ73GConfig(5); }, [&] { return config().ReadQ73GStepTimes(); }},
    };
    for (const auto& [show, read] : models) {
        C() = want;
        show();
        C().Speed = {};
        C().Wait = {};
        ASSERT_TRUE(read());
        EXPECT_EQ(C().Speed, want.Speed);
        EXPECT_EQ(C().Wait, want.Wait);
    }
}

// A record from a damaged file or device: every page shows it within its
// controls' ranges, the handlers write the shown values back, and the curves
// of either shape are drawn from it without harm.
TEST_F(ConfigPagesTest, DamagedRecordsShowClampedAndDrawSafely) {
    const double gammas[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(), -3.0,
                             1e300, 0.0};
    for (const char* shape : {"Kelvar", "ZK4"}) {
        SCOPED_TRACE(shape);
        ShowModelPage(shape);
        tDeviceConfig& c = C();
        for (int ch = 1; ch <= 5; ++ch) {
            c.Def[ch] = 255;
            c.Min[ch] = 255;
            c.Max[ch] = 0;
            c.OutMin[ch] = c.OutMax[ch] = c.OutStart[ch] = 65535;
            c.Gamma[ch] = gammas[ch - 1];
            c.Offs[ch] = 255;
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
        for (int ch = 1; ch <= 5; ++ch) config().DrawCharacteristic(ch);

        EXPECT_EQ(Text("meKonfQ73GWait9"), "30:00.00");
        EXPECT_EQ(Spin("seKonfQ7Num"), 125);
        EXPECT_TRUE(W<QRadioButton>("rbKonfQ7Hz")->isChecked());
        EXPECT_EQ(C().HzNumber, 1200);
        EXPECT_EQ(Spin("seKarOffsG"), 50);
        EXPECT_EQ(C().Offs[2], 50);
        EXPECT_EQ(Spin("seCharZK4OutMinA"), 40000);
        EXPECT_EQ(C().OutMin[5], 40000);
        EXPECT_EQ(Spin("seCharZK4InMin"), 127);
        EXPECT_EQ(C().Min[1], 127);
        // NaN and 0 show at 1,0; infinity and 1e300 at 5,0; -3 at 1,0; the record follows.
        const int positions[] = {10, 50, 10, 50, 10};
        for (int ch = 1; ch <= 5; ++ch) {
            const QString l = QString("RGBWA")[ch - 1];
            EXPECT_EQ(W<QSlider>("tbKonfZK4Gamma" + l)->value(), positions[ch - 1]) << ch;
            EXPECT_EQ(W<QLabel>("lKonfZK4Gamma" + l)->text(), ConfigPages::GammaText(positions[ch - 1])) << ch;
            EXPECT_DOUBLE_EQ(C().Gamma[ch], positions[ch - 1] / 10.0) << ch;
        }
        ASSERT_TRUE(config().ReadConfigPage());
        EXPECT_EQ(C().Brightness[10], 100);
        EXPECT_EQ(C().Speed[1], 36000);
    }
}

TEST_F(ConfigPagesTest, UnreadableStepTimeKeepsTheStoredTime) {
    config().ShowConfigPage();
    TypeTime("meSpeed2", "1");
    EXPECT_EQ(Text("meSpeed2"), "00:30.00");  // the record's time again
    W<QLineEdit>("meWait7")->setText("0");     // left unreadable without leaving the edit
    W<QLineEdit>("meSpeed1")->setText("02:00.00");
    EXPECT_FALSE(config().ReadConfigPage());
    EXPECT_EQ(C().Wait[7], 0);
    EXPECT_EQ(Text("meWait7"), "00:00.00");
    EXPECT_EQ(C().Speed[1], 2400);  // the readable ones are taken
    EXPECT_TRUE(config().ReadConfigPage());
}

TEST_F(ConfigPagesTest, CheckBoxesSetTheirSwitchAndWhiteBalanceRedraws) {
    ShowModelPage("Q7");
    C().LinearCurve = 0;
    W<QCheckBox>("cbKonfZK4LinKarakt")->setChecked(false);
    W<QCheckBox>("cbKonfZK4LinKarakt")->click();
    EXPECT_EQ(C().LinearCurve, 1);
    W<QCheckBox>("cbKonfQ9SubInfra")->click();
    EXPECT_EQ(C().Infra, 1);
    W<QCheckBox>("cbKonfQ9rootTulmeleg")->click();
    EXPECT_EQ(C().Overheat, W<QCheckBox>("cbKonfQ9rootTulmeleg")->isChecked() ? 1 : 0);

    // Input 100 of a 0..200 range: scaled (78) with white balance, itself without.
    for (int ch = 1; ch <= 3; ++ch) {
        C().Min[ch] = 0;
        C().Max[ch] = 200;
        C().Gamma[ch] = 1.0;
        C().OutMin[ch] = 0;
    }
    W<QCheckBox>("cbKonfQ73GFehEgyens")->setChecked(true);
    W<QCheckBox>("cbKonfQ73GFehEgyens")->setChecked(false);
    EXPECT_EQ(C().WhiteBalance, 0);
    for (int ch = 1; ch <= 3; ++ch) EXPECT_EQ(config().CurveTable[ch][100], 15686) << ch;  // 100/255
    W<QCheckBox>("cbKonfQ73GFehEgyens")->click();
    EXPECT_EQ(C().WhiteBalance, 1);
    for (int ch = 1; ch <= 3; ++ch) EXPECT_EQ(config().CurveTable[ch][100], 12235) << ch;  // 78/255
    EXPECT_EQ(config().CurveTable[4][100], 0);
}

TEST_F(ConfigPagesTest, ZK4InputRangeWritesChannelOneOnly) {
    ShowModelPage("ZK4");
    C().OutStart[1] = 500;
    C().OutMax[1] = 40000;
    const tCurveRow green = config().CurveTable[2];
    W<QSpinBox>("seCharZK4InMin")->setValue(100);
    W<QSpinBox>("seCharZK4InMax")->setValue(200);
    EXPECT_EQ(C().Min[1], 100);
    EXPECT_EQ(C().Max[1], 200);
    EXPECT_EQ(C().Min[2], 0);
    EXPECT_EQ(C().Max[2], 255);
    EXPECT_EQ(config().CurveTable[1][100], C().OutMin[1]);
    EXPECT_EQ(config().CurveTable[1][101], 500);
    EXPECT_EQ(config().CurveTable[1][201], 40000);
    EXPECT_EQ(config().CurveTable[2], green);
}

TEST_F(ConfigPagesTest, SharedHandlersDrawTheShapeOfThePageShowing) {
    ShowModelPage("Kelvar");
    W<QSlider>("tbKarGamR")->setValue(10);
    W<QSlider>("tbKarGamR")->setValue(22);
    EXPECT_EQ(config().CurveTable[1][128], 8780);
    for (const char* chart : {"Chart1", "Chart2", "Chart3", "Chart4"}) {
        QLineSeries* s = Series(chart, 1);
        ASSERT_EQ(s->count(), 255) << chart;
        EXPECT_EQ(s->at(0).x(), 1);
        EXPECT_DOUBLE_EQ(s->at(127).y(), 8780 / 400.0);
        EXPECT_EQ(s->at(254).y(), 100.0);
    }
    EXPECT_EQ(Series("Chart1", 1)->pen().color(), QColor(255, 0, 0));
    EXPECT_EQ(Series("Chart4", 4)->pen().color(), QColor(255, 255, 0));  // W yellow
    EXPECT_EQ(Series("ChartZK4", 4)->pen().color(), QColor(192, 192, 192));  // W silver
    EXPECT_EQ(config().Chart("Chart1")->objectName(), "Chart1");

    // The same slider with "ZK4" showing draws the ZK4 curve.
    ShowModelPage("ZK4");
    C().OutStart[1] = 1000;
    C().OutMax[1] = 40000;
    C().Min[1] = 0;
    C().Max[1] = 255;
    W<QSlider>("tbKonfZK4GammaR")->setValue(11);
    W<QSlider>("tbKonfZK4GammaR")->setValue(10);
    EXPECT_EQ(config().CurveTable[1][1], 1000);
    EXPECT_EQ(config().CurveTable[1][128], 20500);
    EXPECT_EQ(Series("ChartZK4", 1)->count(), 256);
    EXPECT_DOUBLE_EQ(Series("ChartZK4", 1)->at(128).y(), 20500 / 400.0);
    // The generic charts keep what they had.
    EXPECT_DOUBLE_EQ(Series("Chart1", 1)->at(127).y(), 8780 / 400.0);
}

TEST_F(ConfigPagesTest, NewConfigurationMenu) {
    editor().SetPrgDmxFontColour(ProgramEditor::kDmxOnColour);
    frm().prgUi->btnPrgEszkozbe->setEnabled(false);
    frm().konfUi->pcKarakt->setCurrentIndex(1);
    C().Speed[1] = 5;
    frm().ui->mFileSave->setEnabled(false);
    frm().ui->mFileUjKonf->trigger();
    EXPECT_EQ(editor().PrgDmxFontColour(), ProgramEditor::kDmxOffColour);
    EXPECT_TRUE(frm().prgUi->btnPrgEszkozbe->isEnabled());
    EXPECT_EQ(C().Speed[1], 1200);
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
    frm().showMainPage("RDM");
    frm().ui->mAblakKonfig->trigger();  // nothing selected
    EXPECT_EQ(frm().mainPageCaption(), "RDM");

    const std::pair<int, const char*> pages[] = {{1, "Kelvar"}, {2, "Q7"},  {3, "Q9Root"}, {4, "Q9Sub"},
                                                 {7, "Q73G"},   {10, "Q73G"}, {11, "ZK4"},  {12, "ZK4"}};
    for (auto [k, caption] : pages) {
        frm().showMainPage("RDM");
        kind = k;
        frm().konfUi->pcKonfQ7->setCurrentIndex(1);
        frm().ui->mAblakKonfig->trigger();
        EXPECT_EQ(ActivePageCaption(frm().konfUi->nbKonf), caption) << k;
        EXPECT_EQ(frm().mainPageCaption(), "Konfiguracio") << k;
        if (k == 2) {
            EXPECT_EQ(frm().konfUi->pcKonfQ7->currentIndex(), 0);
        }
    }
    // A kind without a page changes nothing.
    frm().showMainPage("RDM");
    kind = 5;
    frm().ui->mAblakKonfig->trigger();
    EXPECT_EQ(frm().mainPageCaption(), "RDM");
    EXPECT_EQ(ActivePageCaption(frm().konfUi->nbKonf), "ZK4");
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
