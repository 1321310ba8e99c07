#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "app/Info.h"
#include "app/Kerdes.h"
#include "app/Nevjegy.h"
#include "app/Szovegek.h"
#include "shell_fixture.h"
#include "ui_Info.h"
#include "ui_Kerdes.h"
#include "ui_Main.h"
#include "ui_Nevjegy.h"

namespace {

// The label's middle is the dialog's middle (within rounding).
bool centred(const QWidget* w, const QWidget* dialog) {
    return std::abs(2 * w->x() + w->width() - dialog->width()) <= 1;
}

// Shows the dialog as a user would see it and closes it unanswered.
void look(TModalDialog& d) {
    d.setAnswerer([](TModalDialog&) {});
    d.ShowModal();
}

} // namespace

TEST(FormatVersionDate, HungarianPutsTheYearFirstOthersTheDay) {
    EXPECT_EQ(FormatVersionDate(12, 3, 7, "Hungarian"), "2012.3.7.");
    EXPECT_EQ(FormatVersionDate(12, 3, 7, "German"), "7/3/2012");
    EXPECT_EQ(FormatVersionDate(5, 12, 31, ""), "31/12/2005");
}

using Dialogs = ShellTest;

TEST_F(Dialogs, LanguageDialogSpeaksTheCurrentLanguageAndPreselectsIt) {
    TfrmNyelv& d = *startWith("[Setup]\nLanguage=German\n").frmNyelv;
    look(d);
    EXPECT_EQ(d.windowTitle(), " Sprache");
    EXPECT_EQ(d.ui->lInfo->text(), TextOf(18, 3));
    EXPECT_TRUE(d.ui->rbDeutsch->isChecked());
    setLanguage("Hungarian"); // the one language whose Cancel is not the design's
    look(d);
    EXPECT_EQ(d.ui->btnMegsem->text(), TextOf(19, 1));
}

TEST_F(Dialogs, AboutBoxShowsTheBrandTheVersionAndTheInterfaceSoftware) {
    TfrmNevjegy& d = *startEnglish().frmNevjegy;
    Ui::TfrmNevjegy& ui = *d.ui;
    auto versionsShown = [&](bool shown) {
        for (QLabel* l : {ui.lHardwareData, ui.lBootSoft, ui.lBootData, ui.lAppSoft, ui.lAppSoftData})
            EXPECT_EQ(l->isHidden(), !shown) << l->objectName().toStdString();
    };

    // No interface; the menu opens the box and Cancel closes it.
    d.setAnswerer([](TModalDialog& dlg) {
        QTest::mouseClick(static_cast<TfrmNevjegy&>(dlg).ui->btnMegsem, Qt::LeftButton);
    });
    main().ui->mAbout->trigger();
    EXPECT_EQ(d.timesShown(), 1);
    EXPECT_EQ(d.windowTitle(), " About");
    EXPECT_EQ(ui.lForgAdat->text(), "ORVAMATIC");
    EXPECT_EQ(ui.lVerzioAdat->text(), "v.7.9.9");
    EXPECT_EQ(ui.lHardware->text(), "No contact");
    versionsShown(false);

    // An interface of type 0 tells no versions; another type tells all three.
    main().LineState.HidConnected = 1;
    main().LineState.InterfaceType = 0;
    look(d);
    EXPECT_EQ(ui.lHardware->text(), "Contact OK");
    versionsShown(false);

    main().LineState.InterfaceType = 7;
    main().LineState.InterfaceBootInfo = {1, 1, 4, 12, 3, 7};
    main().LineState.InterfaceAppInfo = {2, 15, 13, 11, 30, 3, 5, 1, 2};
    look(d);
    EXPECT_EQ(ui.lHardwareData->text(), "v.3 - 2/1/2005");
    EXPECT_EQ(ui.lBootData->text(), "v.1.4 - 7/3/2012");
    EXPECT_EQ(ui.lAppSoftData->text(), "v.2.15 - 30/11/2013");
    versionsShown(true);

    setLanguage("Hungarian");
    main().LineState.InterfaceBootInfo[0] = 0;
    look(d);
    EXPECT_EQ(ui.lAppSoftData->text(), "no sw found");
    EXPECT_EQ(ui.lBootData->text(), "v.1.4 - 2012.3.7.");
}

TEST_F(Dialogs, InfoBoxTellsWhyAFileCannotBeUsed) {
    TfrmInfo& d = *startEnglish().frmInfo;
    const char* const format = "File format not acceptable!";
    const char* const type = "File type can not be identify!";
    // Kind 9 is unknown and leaves the lines as they were.
    for (auto [kind, line1, line2] :
         {std::tuple{2, format, "(type: two colors BMP, max. size: 240x220 pixel)"},
          {1, type, ""},
          {9, type, ""}}) {
        main().MessageKind = kind;
        look(d);
        EXPECT_EQ(d.ui->lSor1->text(), line1) << kind;
        EXPECT_EQ(d.ui->lSor2->text(), line2) << kind;
        EXPECT_TRUE(centred(d.ui->lSor1, &d) && centred(d.ui->lSor2, &d)) << kind;
    }
    EXPECT_EQ(d.windowTitle(), " Info");
}

TEST_F(Dialogs, QuestionBoxOffersWhatEachKindAllows) {
    TfrmKerdes& d = *startEnglish().frmKerdes;
    Ui::TfrmKerdes& ui = *d.ui;

    // 2: the interface needs new firmware; only OK, in the middle.
    main().MessageKind = 2;
    d.setAnswerer([&](TModalDialog&) {
        EXPECT_TRUE(ui.btnMegsem->isHidden());
        EXPECT_TRUE(ui.btnOk->isEnabled());
        EXPECT_TRUE(centred(ui.btnOk, &d));
        QTest::mouseClick(ui.btnOk, Qt::LeftButton);
    });
    EXPECT_EQ(d.ShowModal(), QDialog::Accepted);
    EXPECT_EQ(d.windowTitle(), "System message");
    EXPECT_EQ(ui.lSor2->text(), "firmware update necessary");

    // 3: a device reset; OK waits until warm or cold is chosen, Cancel is always there.
    main().MessageKind = 3;
    d.setAnswerer([&](TModalDialog&) {
        EXPECT_EQ(ui.btnOk->x(), TfrmKerdes::OkDesignLeft);
        EXPECT_FALSE(ui.btnMegsem->isHidden());
        EXPECT_FALSE(ui.rbWarm->isHidden());
        EXPECT_FALSE(ui.btnOk->isEnabled());
        QTest::mouseClick(ui.btnOk, Qt::LeftButton); // does nothing yet
        EXPECT_TRUE(d.isVisible());
        ClickRadio(ui.rbCold);
        EXPECT_TRUE(ui.btnOk->isEnabled());
        QTest::mouseClick(ui.btnOk, Qt::LeftButton);
    });
    EXPECT_EQ(d.ShowModal(), QDialog::Accepted);
    EXPECT_TRUE(ui.rbCold->isChecked());
    EXPECT_EQ(d.windowTitle(), "RESET device");
    EXPECT_EQ(ui.lSor1->text(), "Device RESET");

    // Shown again, the earlier choice is gone; the warm reset enables OK as well; Cancel declines.
    d.setAnswerer([&](TModalDialog&) {
        EXPECT_FALSE(ui.rbCold->isChecked());
        EXPECT_FALSE(ui.btnOk->isEnabled());
        ClickRadio(ui.rbWarm);
        EXPECT_TRUE(ui.btnOk->isEnabled());
        QTest::mouseClick(ui.btnMegsem, Qt::LeftButton);
    });
    EXPECT_EQ(d.ShowModal(), QDialog::Rejected);

    // 1: factory defaults, asked with OK and Cancel, in the current language.
    setLanguage("German");
    main().MessageKind = 1;
    look(d);
    EXPECT_EQ(d.windowTitle(), TextOf(88, 3));
    EXPECT_EQ(ui.lSor1->text(), TextOf(89, 3));
    EXPECT_EQ(ui.lSor2->text(), TextOf(90, 3));
    EXPECT_TRUE(ui.rbWarm->isHidden() && ui.rbCold->isHidden());
    EXPECT_TRUE(ui.btnOk->isEnabled() && !ui.btnMegsem->isHidden());
    EXPECT_EQ(ui.btnOk->x(), TfrmKerdes::OkDesignLeft);
    // The long German warning is not cut off at both ends: the dialog grows to hold it.
    EXPECT_GE(ui.lSor1->x(), 0);
    EXPECT_TRUE(centred(ui.lSor1, &d));
    const int germanWidth = d.width();
    setLanguage("English");
    look(d);
    EXPECT_LT(d.width(), germanWidth); // back to its own width
}
