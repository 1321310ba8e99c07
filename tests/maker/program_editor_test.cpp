#include <QCheckBox>
#include <algorithm>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>

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
        return W<TShape>(QString("Shape_%1_%2").arg(s, 2, 10, QChar('0')).arg(d, 2, 10, QChar('0')));
    }
    // Types into a spin or time edit and finishes the edit with Return.
    void Type(QWidget* w, const QString& text) {
        if (auto* s = qobject_cast<QSpinBox*>(w)) {
            s->setFocus();
            s->selectAll();
        } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
            e->setFocus();
            e->selectAll();
            QTest::keyClick(e, Qt::Key_Delete);
            e->setCursorPosition(0);
        }
        QTest::keyClicks(w, text);
        QTest::keyClick(w, Qt::Key_Return);
    }
    bool Bold(int n) { return editor().lLepes(n)->font().bold(); }

    Ui::ProgramPage& ui() { return *frm().prgUi; }
};

}  // namespace

TEST_F(ProgramEditorTest, GridHasNamedSquaresLabelsAndFrame) {
    EXPECT_EQ(frm().findChildren<TShape*>(QRegularExpression("^Shape_\\d\\d_\\d\\d$")).size(), 200);
    TShape* first = Square(1, 1);
    TShape* last = Square(10, 20);
    EXPECT_EQ(first->size(), QSize(20, 20));
    EXPECT_EQ(Square(1, 2)->x() - first->x(), 24);
    EXPECT_EQ(Square(2, 1)->y() - first->y(), 24);
    EXPECT_EQ(last->x() - first->x(), 19 * 24);
    EXPECT_EQ(W<QLabel>("lLepes10")->text(), "10.");
    EXPECT_NE(W<QFrame>("sLepKeret"), nullptr);
    // Device 2 starts at slot 4 with three channels a fixture.
    editor().LabelDeviceAddresses();
    EXPECT_EQ(W<QLabel>("lDmxSlave1")->text(), "4");
    EXPECT_EQ(W<QLabel>("lDmxSlave19")->text(), "58");
    EXPECT_LT(std::abs(W<QLabel>("lDmxSlave1")->geometry().center().x() - Square(1, 2)->geometry().center().x()), 2);
    P().EditorChannels = 5;
    editor().LabelDeviceAddresses();
    EXPECT_EQ(W<QLabel>("lDmxSlave1")->text(), "6");
    EXPECT_EQ(W<QLabel>("lDmxSlave19")->text(), "96");
}

TEST_F(ProgramEditorTest, StepCountHidesRowsAndPullsTheCurrentStepBack) {
    QTest::mouseClick(Square(7, 4), Qt::LeftButton);
    EXPECT_EQ(P().CurrentStep, 7);
    EXPECT_EQ(editor().sLepKeret()->y(), Square(7, 1)->y() - 2);

    Type(ui().seLepesSzam, "3");
    EXPECT_EQ(P().ProgramSteps[1], 3);
    for (int s = 1; s <= 10; ++s) {
        EXPECT_EQ(Square(s, 1)->isVisible(), s <= 3) << s;
        EXPECT_EQ(Square(s, 20)->isVisible(), s <= 3) << s;
        EXPECT_EQ(editor().lLepes(s)->text(), s <= 3 ? QString("%1.").arg(s) : QString()) << s;
    }
    EXPECT_EQ(P().CurrentStep, 3);
    EXPECT_EQ(editor().sLepKeret()->y(), Square(3, 1)->y() - 2);

    // 0 and 11 are not step counts: they give 10 steps.
    Type(ui().seLepesSzam, "0");
    EXPECT_EQ(P().ProgramSteps[1], 10);
    EXPECT_EQ(ui().seLepesSzam->value(), 10);
    EXPECT_TRUE(Square(10, 1)->isVisible());
    Type(ui().seLepesSzam, "4");
    Type(ui().seLepesSzam, "11");
    EXPECT_EQ(P().ProgramSteps[1], 10);
    EXPECT_EQ(ui().seLepesSzam->value(), 10);
    // Other programs keep their step count.
    EXPECT_EQ(P().ProgramSteps[2], 10);
}

TEST_F(ProgramEditorTest, SpeedSwitchZeroesAndRestoresTheTimes) {
    EXPECT_EQ(ui().meSpeed->text(), "00:00.15");
    QTest::mouseClick(ui().cbSpeed, Qt::LeftButton);
    EXPECT_FALSE(ui().cbSpeed->isChecked());
    EXPECT_EQ(P().ProgramSpeedOn[1], 0);
    EXPECT_EQ(P().ProgramSpeed[1], 0);
    EXPECT_EQ(P().ProgramWait[1], 0);
    EXPECT_EQ(ui().meSpeed->text(), "00:00.00");
    EXPECT_FALSE(ui().meSpeed->isEnabled());
    EXPECT_FALSE(ui().meWait->isEnabled());
    EXPECT_FALSE(ui().lSpeed->isEnabled());
    EXPECT_FALSE(ui().lWait->isEnabled());

    QTest::mouseClick(ui().cbSpeed, Qt::LeftButton);
    EXPECT_EQ(P().ProgramSpeedOn[1], 1);
    EXPECT_EQ(ui().meSpeed->text(), "00:00.05");
    EXPECT_EQ(ui().meWait->text(), "00:00.00");
    EXPECT_TRUE(ui().meSpeed->isEnabled());
    EXPECT_TRUE(ui().lWait->isEnabled());
}

TEST_F(ProgramEditorTest, TimeEditsNormaliseAndNeverLeaveBothTimesZero) {
    Type(ui().meSpeed, "000000");
    EXPECT_EQ(P().ProgramSpeed[1], 0);
    EXPECT_EQ(P().ProgramWait[1], 1);
    EXPECT_EQ(ui().meWait->text(), "00:00.05");

    Type(ui().meSpeed, "450000");
    EXPECT_EQ(ui().meSpeed->text(), "30:00.00");
    EXPECT_EQ(P().ProgramSpeed[1], 36000);

    Type(ui().meWait, "017512");
    EXPECT_EQ(ui().meWait->text(), "01:59.00");
    EXPECT_EQ(P().ProgramWait[1], 1200 + 59 * 20);

    // The wait edit makes the speed 00:00.05 when both would be zero.
    Type(ui().meSpeed, "000000");
    Type(ui().meWait, "000000");
    EXPECT_EQ(P().ProgramWait[1], 0);
    EXPECT_EQ(P().ProgramSpeed[1], 1);
    EXPECT_EQ(ui().meSpeed->text(), "00:00.05");
}

TEST_F(ProgramEditorTest, UnreadableTimeKeepsTheStoredTime) {
    Type(ui().meSpeed, "1");  // "1_:__.__": blanks in every number
    EXPECT_EQ(P().ProgramSpeed[1], 3);
    EXPECT_EQ(ui().meSpeed->text(), "00:00.15");

    Type(ui().meWait, "12345");  // the hundredths half blank
    EXPECT_EQ(P().ProgramWait[1], 0);
    EXPECT_EQ(ui().meWait->text(), "00:00.00");

    // The editor goes on working.
    Type(ui().meSpeed, "000100");
    EXPECT_EQ(P().ProgramSpeed[1], 20);
}

TEST_F(ProgramEditorTest, TimeEditsTakeDigitsOnly) {
    // The mask skips what is not a digit: the six digits make 01:00.00.
    Type(ui().meSpeed, "a0-1b00 00");
    EXPECT_EQ(ui().meSpeed->text(), "01:00.00");
    EXPECT_EQ(P().ProgramSpeed[1], 1200);

    // Keystrokes alone change nothing; leaving the edit does.
    ui().seLepesSzam->setFocus();
    ui().seLepesSzam->selectAll();
    QTest::keyClicks(ui().seLepesSzam, "5");
    EXPECT_EQ(P().ProgramSteps[1], 10);
    ui().meWait->setFocus();
    EXPECT_EQ(P().ProgramSteps[1], 5);
    ui().meWait->selectAll();
    QTest::keyClick(ui().meWait, Qt::Key_Delete);
    ui().meWait->setCursorPosition(0);
    QTest::keyClicks(ui().meWait, "000200");
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
    EXPECT_EQ(Square(2, 3)->toolTip(), "R=0 G=77 B=0");

    P().CurrentProgram = 0;
    QTest::mouseClick(ui().cbSpeed, Qt::LeftButton);
    EXPECT_EQ(P().CurrentProgram, 1);
    EXPECT_EQ(P().ProgramSpeedOn[1], 0);
    P().CurrentProgram = 10;
    Type(ui().seLepesSzam, "6");
    EXPECT_EQ(P().ProgramSteps[1], 6);
    EXPECT_FALSE(Square(7, 1)->isVisible());

    // The store itself reads 0 outside and takes no writes there.
    P().SetColour(10, 1, 1, 1, 9);
    P().SetColour(1, 11, 1, 1, 9);
    P().SetColour(1, 1, 21, 1, 9);
    P().SetColour(1, 1, 1, 6, 9);
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
    ui().cbProgramok->setCurrentIndex(1);  // a user's choice: handled
    EXPECT_EQ(P().CurrentProgram, 2);
    EXPECT_EQ(P().ProgramSpeed[2], 40);
    EXPECT_EQ(P().ProgramWait[2], 60);
    EXPECT_EQ(P().ProgramSteps[2], 4);
    EXPECT_EQ(P().ProgramStepMode[2], 1);
    EXPECT_FALSE(ui().cbSpeed->isChecked());
    EXPECT_TRUE(ui().cbStep->isChecked());
    EXPECT_EQ(ui().meSpeed->text(), "00:02.00");
    EXPECT_EQ(ui().seLepesSzam->value(), 4);
    EXPECT_EQ(frm().UpdatingControls, 0);

    // While the flag is set, user changes to the six controls are ignored too.
    frm().UpdatingControls = 1;
    ui().cbSpeed->setChecked(true);
    ui().cbStep->setChecked(false);
    ui().cbProgramok->setCurrentIndex(4);
    Type(ui().seLepesSzam, "2");
    Type(ui().meSpeed, "000000");
    Type(ui().meWait, "000000");
    frm().UpdatingControls = 0;
    EXPECT_EQ(P().CurrentProgram, 2);
    EXPECT_EQ(P().ProgramSpeedOn[2], 0);
    EXPECT_EQ(P().ProgramStepMode[2], 1);
    EXPECT_EQ(P().ProgramSteps[2], 4);
    EXPECT_EQ(P().ProgramSpeed[2], 40);
    EXPECT_EQ(P().ProgramWait[2], 60);

    // Afterwards they act again.
    ui().cbStep->setChecked(true);
    ui().cbStep->setChecked(false);
    EXPECT_EQ(P().ProgramStepMode[2], 0);
}

TEST_F(ProgramEditorTest, ProgramChoiceShowsThatProgramsColours) {
    P().SetRgb(3, 2, 5, 0x123456);
    ui().cbProgramok->setCurrentIndex(2);
    EXPECT_EQ(P().CurrentProgram, 3);
    EXPECT_EQ(Square(2, 5)->colour(), 0x123456u);
    EXPECT_EQ(Square(2, 5)->toolTip(), "R=86 G=52 B=18");
    ui().cbProgramok->setCurrentIndex(0);
    EXPECT_EQ(Square(2, 5)->colour(), 0u);
}

TEST_F(ProgramEditorTest, StepLabelsAndLeftClicksChooseTheStep) {
    QTest::mouseClick(Square(5, 2), Qt::LeftButton);
    EXPECT_EQ(P().CurrentStep, 5);
    EXPECT_EQ(P().CurrentDevice, 2);
    for (int n = 1; n <= 10; ++n) EXPECT_EQ(Bold(n), n == 5) << n;

    const int frameY = editor().sLepKeret()->y();
    QTest::mouseClick(editor().lLepes(8), Qt::LeftButton);
    EXPECT_EQ(P().CurrentStep, 8);
    for (int n = 1; n <= 10; ++n) EXPECT_EQ(Bold(n), n == 8) << n;
    EXPECT_EQ(editor().sLepKeret()->y(), frameY);  // the label does not move the frame

    // A click with a modifier key only selects the square.
    QTest::mouseClick(Square(2, 9), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(P().CurrentStep, 2);
    EXPECT_EQ(P().CurrentDevice, 9);
    EXPECT_EQ(editor().sLepKeret()->y(), Square(2, 1)->y() - 2);
    EXPECT_TRUE(Bold(8));
}

TEST_F(ProgramEditorTest, RightClickOpensTheMixerOnTheSquaresColour) {
    P().EditorChannels = 5;
    P().SetRgb(1, 3, 7, 10 | 20 << 8 | 30 << 16);
    P().SetColour(1, 3, 7, 4, 40);
    P().SetColour(1, 3, 7, 5, 50);
    editor().ShowProgram();
    EXPECT_EQ(Square(3, 7)->toolTip(), "R=10 G=20 B=30 W=40 A=50");
    EXPECT_EQ(Square(1, 1)->toolTip(), "R=0 G=0 B=0 W=0 A=0");

    TfrmRGB& mixer = *editor().colourMixer();
    Ui::TfrmRGB& m = *mixer.ui;
    bool shown = false;
    editor().runModal = [&](QDialog& d) {
        shown = true;
        EXPECT_EQ(&d, &mixer);
        EXPECT_EQ(P().CurrentStep, 3);
        EXPECT_EQ(P().CurrentDevice, 7);
        EXPECT_EQ(m.sbRed->value(), 245);
        EXPECT_EQ(m.sbGreen->value(), 235);
        EXPECT_EQ(m.sbBlue->value(), 225);
        EXPECT_EQ(m.sbwhite->value(), 215);
        EXPECT_EQ(m.sbAmber->value(), 205);
        EXPECT_EQ(m.lRedValue->text(), "10");
        EXPECT_EQ(m.sRGB->colour(), 0x1E140Au);
        EXPECT_EQ(m.btnOK->width(), 129);
        for (QWidget* w : {static_cast<QWidget*>(m.lW), static_cast<QWidget*>(m.sbAmber),
                           static_cast<QWidget*>(m.sW), static_cast<QWidget*>(m.lAmberValue)})
            EXPECT_FALSE(w->isHidden());
        d.show();
        EXPECT_EQ(d.width(), 141);
        // Moving a bar writes the cell at once; the top of a bar is 255.
        m.sbRed->setValue(0);
        EXPECT_EQ(P().Colour(1, 3, 7, 1), 255);
        m.sbwhite->setValue(255);
        EXPECT_EQ(P().Colour(1, 3, 7, 4), 0);
        QTest::mouseClick(m.btnOK, Qt::LeftButton);
        EXPECT_FALSE(d.isVisible());
        return d.result();
    };
    QTest::mouseClick(Square(3, 7), Qt::RightButton);
    ASSERT_TRUE(shown);
    EXPECT_EQ(Square(3, 7)->colour(), 0x1E14FFu);
    EXPECT_EQ(P().Rgb(1, 3, 7), 0x1E14FFu);
    EXPECT_EQ(P().Colour(1, 3, 7, 4), 0);
    EXPECT_EQ(P().Colour(1, 3, 7, 5), 50);
    EXPECT_EQ(Square(3, 7)->toolTip(), "R=255 G=20 B=30 W=0 A=50");
}

TEST_F(ProgramEditorTest, MixerWithThreeChannelsHidesWhiteAndAmber) {
    Ui::TfrmRGB& m = *editor().colourMixer()->ui;
    editor().runModal = [&](QDialog& d) {
        EXPECT_EQ(m.btnOK->width(), 75);
        for (QWidget* w : {static_cast<QWidget*>(m.lW), static_cast<QWidget*>(m.lA),
                           static_cast<QWidget*>(m.lWhiteValue), static_cast<QWidget*>(m.lAmberValue),
                           static_cast<QWidget*>(m.sbwhite), static_cast<QWidget*>(m.sbAmber),
                           static_cast<QWidget*>(m.sW), static_cast<QWidget*>(m.sA)})
            EXPECT_TRUE(w->isHidden());
        d.show();
        EXPECT_EQ(d.width(), 87);
        m.sbBlue->setValue(55);
        QTest::mouseClick(m.sRGB, Qt::LeftButton);  // a click on the preview closes it too
        EXPECT_FALSE(d.isVisible());
        return d.result();
    };
    QTest::mouseClick(Square(1, 1), Qt::RightButton);
    EXPECT_EQ(P().Rgb(1, 1, 1), 200u << 16);
    EXPECT_EQ(Square(1, 1)->toolTip(), "R=0 G=0 B=200");
}

TEST_F(ProgramEditorTest, MixerPreviewsWhiteAndAmber) {
    Ui::TfrmRGB& m = *editor().colourMixer()->ui;
    m.sbAmber->setValue(255 - 200);
    EXPECT_EQ(m.lAmberValue->text(), "200");
    EXPECT_EQ(m.sA->colour(), 200u | 100u << 8);  // red 200, green 100, blue 0
    m.sbwhite->setValue(255 - 128);
    EXPECT_EQ(m.lWhiteValue->text(), "128");
    EXPECT_EQ(m.sW->colour(), 0x808080u);
    // The bars edit the current cell.
    EXPECT_EQ(P().Colour(1, 1, 1, 5), 200);
    EXPECT_EQ(P().Colour(1, 1, 1, 4), 128);
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

    answer.reset();  // cancelled
    QTest::mouseDClick(Square(4, 4), Qt::LeftButton);
    EXPECT_EQ(P().Rgb(1, 4, 4), 0x030201u);
}

TEST_F(ProgramEditorTest, NewProgramsAndTheWindowMenu) {
    P().SetRgb(4, 1, 1, 0xFFFFFF);
    P().SetColour(4, 1, 1, 4, 9);
    P().EditorChannels = 5;
    P().ProgramSteps[4] = 2;
    P().CurrentProgram = 4;
    P().CurrentStep = 2;
    frm().ui->mAblakProg->trigger();
    EXPECT_EQ(P().EditorChannels, 3);
    EXPECT_EQ(frm().mainPageCaption(), "Programok");
    EXPECT_TRUE(frm().ui->mFileSave->isEnabled());
    EXPECT_EQ(P().Rgb(4, 1, 1), 0xFFFFFFu);  // kept
    EXPECT_EQ(W<QLabel>("lDmxSlave2")->text(), "7");

    frm().showMainPage("RDM");
    frm().ui->mFileSave->setEnabled(false);
    frm().ui->mFileUjProg->trigger();
    EXPECT_EQ(frm().mainPageCaption(), "Programok");
    EXPECT_TRUE(frm().ui->mFileSave->isEnabled());
    EXPECT_EQ(P().Rgb(4, 1, 1), 0u);
    EXPECT_EQ(P().Colour(4, 1, 1, 4), 9);  // W and A are not part of the defaults
    EXPECT_EQ(P().ProgramSteps[4], 10);
    EXPECT_EQ(P().CurrentProgram, 1);
    EXPECT_EQ(P().CurrentStep, 1);
    EXPECT_EQ(ui().cbProgramok->currentIndex(), 0);
    for (int p = 1; p <= 9; ++p) {
        EXPECT_EQ(P().ProgramSpeed[p], 3);
        EXPECT_EQ(P().ProgramWait[p], 0);
        EXPECT_EQ(P().ProgramSpeedOn[p], 1);
        EXPECT_EQ(P().ProgramStepMode[p], 0);
    }
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
