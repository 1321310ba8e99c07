#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <algorithm>

#include "editor_fixture.h"
#include "link/DataModule.h"
#include "maker/RGB.h"
#include "maker/Shapes.h"
#include "ui_Main.h"
#include "ui_ProgramPage.h"
#include "ui_RGB.h"

namespace {

class ProgramEditorTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        frm().showMainPage("Programok");
    }

    TShape* Square(int s, int d) {
        return Find<TShape>(QString("Shape_%1_%2").arg(s, 2, 10, QChar('0')).arg(d, 2, 10, QChar('0')));
    }
    int BoldStep() {
        int bold = 0;
        for (int n = 1; n <= 10; ++n)
            if (editor().lLepes(n)->font().bold()) bold = bold ? -1 : n;
        return bold;
    }
    int FrameRow() { return (editor().sLepKeret()->y() + 2 - Square(1, 1)->y()) / 24 + 1; }

    Ui::ProgramPage& ui() { return *frm().prgUi; }
};

} // namespace

TEST_F(ProgramEditorTest, GridAndDeviceAddresses) {
    EXPECT_EQ(frm().findChildren<TShape*>(QRegularExpression("^Shape_\\d\\d_\\d\\d$")).size(), 200);
    // Device 2 starts at slot 4 with three channels a fixture, at slot 6 with five.
    const int rows[][3] = {{3, 4, 58}, {5, 6, 96}};
    for (auto [channels, second, last] : rows) {
        P().EditorChannels = channels;
        editor().LabelDeviceAddresses();
        EXPECT_EQ(Find<QLabel>("lDmxSlave1")->text(), QString::number(second));
        EXPECT_EQ(Find<QLabel>("lDmxSlave19")->text(), QString::number(last));
    }
}

TEST_F(ProgramEditorTest, StepCountHidesRowsAndPullsTheCurrentStepBack) {
    QTest::mouseClick(Square(7, 4), Qt::LeftButton);
    EXPECT_EQ(P().CurrentStep, 7);
    EXPECT_EQ(FrameRow(), 7);

    Type(ui().seLepesSzam, "3");
    EXPECT_EQ(P().ProgramSteps[1], 3);
    for (int s = 1; s <= 10; ++s) {
        EXPECT_EQ(Square(s, 20)->isVisible(), s <= 3) << s;
        EXPECT_EQ(editor().lLepes(s)->text(), s <= 3 ? QString("%1.").arg(s) : QString()) << s;
    }
    EXPECT_EQ(P().CurrentStep, 3);
    EXPECT_EQ(FrameRow(), 3);

    // 0 and 11 are not step counts: they give 10 steps; other programs keep theirs.
    for (const char* typed : {"0", "11"}) {
        Type(ui().seLepesSzam, "4");
        Type(ui().seLepesSzam, typed);
        EXPECT_EQ(P().ProgramSteps[1], 10) << typed;
        EXPECT_EQ(ui().seLepesSzam->value(), 10) << typed;
        EXPECT_TRUE(Square(10, 1)->isVisible()) << typed;
    }
    P().ProgramSteps[2] = 7;
    Type(ui().seLepesSzam, "2");
    EXPECT_EQ(P().ProgramSteps[2], 7);
}

TEST_F(ProgramEditorTest, SpeedSwitchZeroesAndRestoresTheTimes) {
    P().ProgramWait[1] = 20;
    editor().ShowProgram();
    // {switch, speed stored, wait stored, speed shown, wait shown}
    const std::tuple<int, int, int, const char*, const char*> rows[] = {{0, 0, 0, "00:00.00", "00:00.00"},
                                                                        {1, 1, 0, "00:00.05", "00:00.00"}};
    for (auto [on, speed, wait, speedText, waitText] : rows) {
        QTest::mouseClick(ui().cbSpeed, Qt::LeftButton);
        EXPECT_EQ(P().ProgramSpeedOn[1], on);
        EXPECT_EQ(P().ProgramSpeed[1], speed);
        EXPECT_EQ(P().ProgramWait[1], wait);
        EXPECT_EQ(ui().meSpeed->text(), speedText);
        EXPECT_EQ(ui().meWait->text(), waitText);
        for (QWidget* w : std::initializer_list<QWidget*>{ui().meSpeed, ui().meWait, ui().lSpeed, ui().lWait})
            EXPECT_EQ(w->isEnabled(), on == 1) << w->objectName().toStdString();
    }
}

// Typed digits go through the mask (which skips non-digits); times above
// 30:00.00 and seconds above 59 are normalised; speed and wait are never both 0.
// Unreadable text (blanks in a number) keeps the stored time and shows it again.
TEST_F(ProgramEditorTest, TimeEditsNormaliseKeepTimesForUnreadableTextAndNeverLeaveBothZero) {
    struct Row {
        bool speed;
        const char* typed;
        const char* speedText;
        const char* waitText;
        int storedSpeed, storedWait;
    } rows[] = {
        {true, "1", "00:00.15", "00:00.00", 3, 0},      // "1_:__.__"
        {false, "12345", "00:00.15", "00:00.00", 3, 0}, // the hundredths half blank
        {true, "000000", "00:00.00", "00:00.05", 0, 1},
        {true, "450000", "30:00.00", "00:00.05", 36000, 1},
        {false, "017512", "30:00.00", "01:59.00", 36000, 1200 + 59 * 20},
        {true, "a0-1b00 00", "01:00.00", "01:59.00", 1200, 2380},
        {true, "000000", "00:00.00", "01:59.00", 0, 2380},
        {false, "000000", "00:00.05", "00:00.00", 1, 0}, // the wait edit makes the speed 00:00.05
    };
    for (const Row& r : rows) {
        Type(r.speed ? ui().meSpeed : ui().meWait, r.typed);
        EXPECT_EQ(ui().meSpeed->text(), r.speedText) << r.typed;
        EXPECT_EQ(ui().meWait->text(), r.waitText) << r.typed;
        EXPECT_EQ(P().ProgramSpeed[1], r.storedSpeed) << r.typed;
        EXPECT_EQ(P().ProgramWait[1], r.storedWait) << r.typed;
    }
}

TEST_F(ProgramEditorTest, EditsActWhenEditingFinishesNotOnKeystrokes) {
    Type(ui().seLepesSzam, "5", false);
    EXPECT_EQ(P().ProgramSteps[1], 10);
    Type(ui().meWait, "000200", false);
    EXPECT_EQ(P().ProgramSteps[1], 5);
    EXPECT_EQ(P().ProgramWait[1], 0);
    ui().cbProgramok->setFocus();
    EXPECT_EQ(P().ProgramWait[1], 40);
    EXPECT_EQ(ui().meWait->text(), "00:02.00");
}

// A current program that another unit left outside 1..9 is never used as an
// index: the page and every handler work on program 1.
TEST_F(ProgramEditorTest, CurrentProgramOutOfRangeFallsBackToTheFirst) {
    Ui::TfrmRGB& m = *editor().colourMixer()->ui;
    editor().runModal = [&](QDialog&) {
        m.sbGreen->setValue(255 - 77);
        return 1;
    };
    P().CurrentProgram = 200;
    QTest::mouseClick(Square(2, 3), Qt::RightButton);
    EXPECT_EQ(P().CurrentProgram, 1);
    EXPECT_EQ(P().Colour(1, 2, 3, 2), 77);

    P().CurrentProgram = 0;
    QTest::mouseClick(ui().cbSpeed, Qt::LeftButton);
    EXPECT_EQ(P().ProgramSpeedOn[1], 0);
    P().CurrentProgram = 10;
    Type(ui().seLepesSzam, "6");
    EXPECT_EQ(P().ProgramSteps[1], 6);

    // The store itself reads 0 outside and takes no writes there.
    const int outside[][4] = {{10, 1, 1, 1}, {1, 11, 1, 1}, {1, 1, 21, 1}, {1, 1, 1, 6}};
    for (auto [p, s, d, c] : outside)
        P().SetColour(p, s, d, c, 9);
    EXPECT_EQ(P().Colour(0, 1, 1, 1), 0);
    EXPECT_EQ(std::count(P().ProgramStore.begin(), P().ProgramStore.end(), 9), 0);
}

TEST_F(ProgramEditorTest, FillingThePageRunsNoneOfTheSixHandlers) {
    // Program 2 with the speed switch off but non-zero times and step mode on:
    // a handler run while the page fills would zero the times or change the program.
    P().ProgramSpeed[2] = 40;
    P().ProgramWait[2] = 60;
    P().ProgramSpeedOn[2] = 0;
    P().ProgramStepMode[2] = 1;
    P().ProgramSteps[2] = 4;
    P().SetRgb(2, 2, 5, 0x123456);
    auto unchanged = [&] {
        EXPECT_EQ(P().CurrentProgram, 2);
        EXPECT_EQ(P().ProgramSpeedOn[2], 0);
        EXPECT_EQ(P().ProgramStepMode[2], 1);
        EXPECT_EQ(P().ProgramSteps[2], 4);
        EXPECT_EQ(P().ProgramSpeed[2], 40);
        EXPECT_EQ(P().ProgramWait[2], 60);
    };
    ui().cbProgramok->setCurrentIndex(1); // a user's choice: handled
    unchanged();
    EXPECT_TRUE(ui().cbStep->isChecked());
    EXPECT_EQ(ui().meSpeed->text(), "00:02.00");
    EXPECT_EQ(Square(2, 5)->toolTip(), "R=86 G=52 B=18");
    EXPECT_EQ(frm().UpdatingControls, 0);

    // While the flag is set, user changes to the six controls are ignored too.
    frm().UpdatingControls = 1;
    ui().cbSpeed->setChecked(true);
    ui().cbStep->setChecked(false);
    ui().cbProgramok->setCurrentIndex(4);
    Type(ui().seLepesSzam, "2");
    ui().meSpeed->setText("00:00.00"); // disabled with the switch off: call their handlers
    ui().meWait->setText("00:00.00");
    editor().meSpeedExit();
    editor().meWaitExit();
    frm().UpdatingControls = 0;
    unchanged();

    // Afterwards they act again.
    ui().cbProgramok->setCurrentIndex(0);
    EXPECT_EQ(Square(2, 5)->colour(), 0u);
}

TEST_F(ProgramEditorTest, StepLabelsAndLeftClicksChooseTheStep) {
    QTest::mouseClick(Square(5, 2), Qt::LeftButton);
    EXPECT_EQ(P().CurrentStep, 5);
    EXPECT_EQ(P().CurrentDevice, 2);
    EXPECT_EQ(BoldStep(), 5);

    QTest::mouseClick(editor().lLepes(8), Qt::LeftButton);
    EXPECT_EQ(P().CurrentStep, 8);
    EXPECT_EQ(BoldStep(), 8);
    EXPECT_EQ(FrameRow(), 5); // the label does not move the frame

    // A click with a modifier key only selects the square.
    QTest::mouseClick(Square(2, 9), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(P().CurrentStep, 2);
    EXPECT_EQ(P().CurrentDevice, 9);
    EXPECT_EQ(FrameRow(), 2);
    EXPECT_EQ(BoldStep(), 8);
}

TEST_F(ProgramEditorTest, RightClickOpensTheMixerOnTheSquaresColour) {
    P().EditorChannels = 5;
    P().SetRgb(1, 3, 7, 10 | 20 << 8 | 30 << 16);
    P().SetColour(1, 3, 7, 4, 40);
    P().SetColour(1, 3, 7, 5, 50);
    editor().ShowProgram();
    EXPECT_EQ(Square(3, 7)->toolTip(), "R=10 G=20 B=30 W=40 A=50");
    EXPECT_EQ(Square(1, 1)->toolTip(), "R=0 G=0 B=0 W=0 A=0");

    Ui::TfrmRGB& m = *editor().colourMixer()->ui;
    bool shown = false;
    editor().runModal = [&](QDialog& d) {
        shown = true;
        EXPECT_EQ(P().CurrentStep, 3);
        EXPECT_EQ(P().CurrentDevice, 7);
        // The bars run upside down: the top is 255.
        const QScrollBar* bars[] = {m.sbRed, m.sbGreen, m.sbBlue, m.sbwhite, m.sbAmber};
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(bars[i]->value(), 245 - 10 * i) << i;
        EXPECT_EQ(m.lRedValue->text(), "10");
        EXPECT_EQ(m.sRGB->colour(), 0x1E140Au);
        EXPECT_FALSE(m.sbAmber->isHidden());
        d.show();
        EXPECT_EQ(d.width(), 141);
        // Moving a bar writes the cell at once; white and amber have previews.
        m.sbRed->setValue(0);
        EXPECT_EQ(P().Colour(1, 3, 7, 1), 255);
        m.sbwhite->setValue(255 - 128);
        EXPECT_EQ(m.lWhiteValue->text(), "128");
        EXPECT_EQ(m.sW->colour(), 0x808080u);
        m.sbAmber->setValue(255 - 200);
        EXPECT_EQ(m.lAmberValue->text(), "200");
        EXPECT_EQ(m.sA->colour(), 200u | 100u << 8); // red 200, green 100, blue 0
        QTest::mouseClick(m.btnOK, Qt::LeftButton);
        EXPECT_FALSE(d.isVisible());
        return d.result();
    };
    QTest::mouseClick(Square(3, 7), Qt::RightButton);
    ASSERT_TRUE(shown);
    EXPECT_EQ(Square(3, 7)->colour(), 0x1E14FFu);
    EXPECT_EQ(Square(3, 7)->toolTip(), "R=255 G=20 B=30 W=128 A=200");
}

TEST_F(ProgramEditorTest, MixerWithThreeChannelsHidesWhiteAndAmber) {
    Ui::TfrmRGB& m = *editor().colourMixer()->ui;
    editor().runModal = [&](QDialog& d) {
        for (QWidget* w :
             std::initializer_list<QWidget*>{m.lA, m.lWhiteValue, m.sbwhite, m.sbAmber, m.sW, m.sA})
            EXPECT_TRUE(w->isHidden()) << w->objectName().toStdString();
        d.show();
        EXPECT_EQ(d.width(), 87);
        m.sbBlue->setValue(55);
        QTest::mouseClick(m.sRGB, Qt::LeftButton); // a click on the preview closes it too
        EXPECT_FALSE(d.isVisible());
        return d.result();
    };
    QTest::mouseClick(Square(1, 1), Qt::RightButton);
    EXPECT_EQ(P().Rgb(1, 1, 1), 200u << 16);
    EXPECT_EQ(Square(1, 1)->toolTip(), "R=0 G=0 B=200");
}

TEST_F(ProgramEditorTest, DoubleClickUsesTheColourDialog) {
    std::optional<QColor> answer = QColor(1, 2, 3);
    QColor offered;
    editor().chooseColour = [&](const QColor& initial) {
        offered = initial;
        return answer;
    };
    P().SetRgb(1, 4, 4, 0x0000FF);
    editor().ShowProgram();
    QTest::mouseDClick(Square(4, 4), Qt::LeftButton);
    EXPECT_EQ(offered, QColor(255, 0, 0));
    EXPECT_EQ(P().Rgb(1, 4, 4), 0x030201u);
    EXPECT_EQ(Square(4, 4)->toolTip(), "R=1 G=2 B=3");

    answer.reset(); // cancelled
    QTest::mouseDClick(Square(4, 4), Qt::LeftButton);
    EXPECT_EQ(P().Rgb(1, 4, 4), 0x030201u);
}

TEST_F(ProgramEditorTest, NewProgramsAndTheWindowMenu) {
    P().SetRgb(4, 1, 1, 0xFFFFFF);
    P().SetColour(4, 1, 1, 4, 9);
    P().EditorChannels = 5;
    P().ProgramSteps[4] = 2;
    P().ProgramSpeed[9] = 77;
    P().CurrentProgram = 4;
    P().CurrentStep = 2;
    frm().ui->mAblakProg->trigger();
    EXPECT_EQ(Find<QLabel>("lDmxSlave2")->text(), "7"); // three channels again
    EXPECT_EQ(P().Rgb(4, 1, 1), 0xFFFFFFu);             // kept

    frm().showMainPage("RDM");
    frm().ui->mFileSave->setEnabled(false);
    frm().ui->mFileUjProg->trigger();
    EXPECT_EQ(frm().mainPageCaption(), "Programok");
    EXPECT_TRUE(frm().ui->mFileSave->isEnabled());
    EXPECT_EQ(P().Rgb(4, 1, 1), 0u);
    EXPECT_EQ(P().Colour(4, 1, 1, 4), 9); // W and A are not part of the defaults
    EXPECT_EQ(P().ProgramSteps[4], 10);
    EXPECT_EQ(P().ProgramSpeed[9], 3);
    EXPECT_EQ(P().CurrentStep, 1);
    EXPECT_EQ(ui().cbProgramok->currentIndex(), 0);
}

class LiveDmxTest : public ProgramEditorTest {
protected:
    void BeforeStart() override { box = platform->PlugInterface(0); }
    std::shared_ptr<sim::SimInterface> box;
};

TEST_F(LiveDmxTest, ButtonStartsTheBlockDownloadAndSwitchesBack) {
    ASSERT_TRUE(frm().dataModule()->HidConnected);
    EXPECT_EQ(editor().PrgDmxFontColour(), ProgramEditor::kDmxOffColour);
    box->written.clear();
    QTest::mouseClick(ui().btnPrgDmx, Qt::LeftButton);
    ASSERT_TRUE(platform->WaitIdle());
    const auto starts = box->WrittenWithCommand(1);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0][2], 66);
    EXPECT_EQ(starts[0][3], 50);
    EXPECT_EQ(frm().dataModule()->LinkSubState, 1);
    EXPECT_EQ(frm().LineState.TransmitFlag, 1);
    EXPECT_EQ(editor().PrgDmxFontColour(), ProgramEditor::kDmxOnColour);
    EXPECT_FALSE(ui().btnPrgEszkozbe->isEnabled());

    box->written.clear();
    QTest::mouseClick(ui().btnPrgDmx, Qt::LeftButton);
    ASSERT_TRUE(platform->WaitIdle());
    EXPECT_TRUE(box->WrittenWithCommand(1).empty());
    EXPECT_EQ(frm().LineState.TransmitFlag, 0);
    EXPECT_EQ(editor().PrgDmxFontColour(), ProgramEditor::kDmxOffColour);
    EXPECT_TRUE(ui().btnPrgEszkozbe->isEnabled());
}
