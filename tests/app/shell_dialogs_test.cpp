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
#include "ui_Nyelv.h"

namespace {

// The label's middle is the dialog's middle (within rounding).
bool centred(const QLabel* label, const QWidget* dialog) {
    return std::abs(2 * label->x() + label->width() - dialog->width()) <= 1;
}

// Shows the dialog as a user would see it and closes it unanswered.
void look(TModalDialog& d) {
    d.setAnswerer([](TModalDialog&) {});
    d.ShowModal();
}

} // namespace

TEST(FormatVersionDate, HungarianPutsTheYearFirstOthersTheDay) {
    EXPECT_EQ(FormatVersionDate(12, 3, 7, "Hungarian"), "2012.3.7.");
    EXPECT_EQ(FormatVersionDate(12, 3, 7, "English"), "7/3/2012");
    EXPECT_EQ(FormatVersionDate(12, 3, 7, "German"), "7/3/2012");
    EXPECT_EQ(FormatVersionDate(5, 12, 31, "Hungarian"), "2005.12.31.");
    EXPECT_EQ(FormatVersionDate(5, 12, 31, ""), "31/12/2005");
}

using Dialogs = ShellTest;

TEST_F(Dialogs, LanguageDialogSpeaksTheCurrentLanguageAndPreselectsIt) {
    writeIni("[Setup]\nLanguage=German\n");
    Program& p = start();
    main().FormActivate();
    TfrmNyelv& d = *p.frmNyelv;
    look(d);
    EXPECT_EQ(d.windowTitle(), " Sprache");
    EXPECT_EQ(d.ui->lInfo->text(), TextOf(18, 3));
    EXPECT_EQ(d.ui->btnMegsem->text(), TextOf(19, 3));
    EXPECT_TRUE(d.ui->rbDeutsch->isChecked());

    main().LanguageName = "Hungarian";
    main().ApplyLanguage();
    look(d);
    EXPECT_EQ(d.windowTitle(), " Nyelv");
    EXPECT_TRUE(d.ui->rbMagyar->isChecked());

    // OK with English chosen.
    AnswerLanguage(p, Lang::English, true);
    EXPECT_EQ(d.ShowModal(), QDialog::Accepted);
    EXPECT_EQ(main().LanguageName, "English");
}

TEST_F(Dialogs, AboutBoxShowsTheBrandTheVersionAndTheInterfaceSoftware) {
    writeIni("[Setup]\nLanguage=English\n");
    Program& p = start();
    main().FormActivate();
    TfrmNevjegy& d = *p.frmNevjegy;
    Ui::TfrmNevjegy& ui = *d.ui;
    const QList<QLabel*> versionLabels{ui.lHardwareData, ui.lBootSoft, ui.lBootData, ui.lAppSoft,
                                       ui.lAppSoftData};

    // No interface.
    d.setAnswerer([](TModalDialog& dlg) {
        QTest::mouseClick(static_cast<TfrmNevjegy&>(dlg).ui->btnMegsem, Qt::LeftButton);
    });
    main().ui->mAbout->trigger();
    EXPECT_EQ(d.timesShown(), 1);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.windowTitle(), " About");
    EXPECT_EQ(ui.lForgAdat->text(), "ORVAMATIC");
    EXPECT_EQ(ui.lWebAdat->text(), QString::fromUtf8(BrandTable[0].web));
    EXPECT_EQ(ui.lEmailAdat->text(), QString::fromUtf8(BrandTable[0].email));
    EXPECT_EQ(ui.lPcSoft->text(), TextOf(107, 2) + ":");
    EXPECT_EQ(ui.lVerzioAdat->text(), "v.7.9.9");
    EXPECT_EQ(ui.lHardware->text(), "No contact");
    for (QLabel* l : versionLabels)
        EXPECT_TRUE(l->isHidden()) << l->objectName().toStdString();

    // An interface of type 0 tells no versions.
    main().LineState.HidConnected = 1;
    main().LineState.InterfaceType = 0;
    look(d);
    EXPECT_EQ(ui.lHardware->text(), "Contact OK");
    for (QLabel* l : versionLabels)
        EXPECT_TRUE(l->isHidden()) << l->objectName().toStdString();

    // Another type shows hardware, boot and application versions.
    main().LineState.InterfaceType = 7;
    main().LineState.InterfaceBootInfo = {1, 1, 4, 12, 3, 7};
    main().LineState.InterfaceAppInfo = {2, 15, 13, 11, 30, 3, 5, 1, 2};
    look(d);
    EXPECT_EQ(ui.lHardware->text(), TextOf(70, 2) + ":");
    EXPECT_EQ(ui.lHardwareData->text(), "v.3 - 2/1/2005");
    EXPECT_EQ(ui.lBootSoft->text(), TextOf(108, 2) + ":");
    EXPECT_EQ(ui.lBootData->text(), "v.1.4 - 7/3/2012");
    EXPECT_EQ(ui.lAppSoftData->text(), "v.2.15 - 30/11/2013");
    for (QLabel* l : versionLabels)
        EXPECT_FALSE(l->isHidden()) << l->objectName().toStdString();

    main().LanguageName = "Hungarian";
    main().ApplyLanguage();
    main().LineState.InterfaceBootInfo[0] = 0;
    look(d);
    EXPECT_EQ(ui.lAppSoftData->text(), "no sw found");
    EXPECT_EQ(ui.lBootData->text(), "v.1.4 - 2012.3.7.");
    EXPECT_EQ(ui.btnMegsem->text(), TextOf(19, 1));
}

TEST_F(Dialogs, InfoBoxTellsWhyAFileCannotBeUsed) {
    writeIni("[Setup]\nLanguage=English\n");
    Program& p = start();
    main().FormActivate();
    TfrmInfo& d = *p.frmInfo;

    main().MessageKind = 2;
    look(d);
    EXPECT_EQ(d.windowTitle(), " Info");
    EXPECT_EQ(d.ui->lSor1->text(), "File format not acceptable!");
    EXPECT_EQ(d.ui->lSor2->text(), "(type: two colors BMP, max. size: 240x220 pixel)");
    EXPECT_TRUE(centred(d.ui->lSor1, &d));
    EXPECT_TRUE(centred(d.ui->lSor2, &d));

    main().MessageKind = 1;
    look(d);
    EXPECT_EQ(d.ui->lSor1->text(), "File type can not be identify!");
    EXPECT_EQ(d.ui->lSor2->text(), "");
    EXPECT_TRUE(centred(d.ui->lSor1, &d));

    main().MessageKind = 9; // leaves the lines as they were
    look(d);
    EXPECT_EQ(d.ui->lSor1->text(), "File type can not be identify!");
    EXPECT_EQ(d.ui->btnMegsem->text(), "Cancel");
}

TEST_F(Dialogs, QuestionBoxOffersWhatEachKindAllows) {
    writeIni("[Setup]\nLanguage=English\n");
    Program& p = start();
    main().FormActivate();
    TfrmKerdes& d = *p.frmKerdes;
    Ui::TfrmKerdes& ui = *d.ui;

    // 2: the interface needs new firmware; only OK, in the middle.
    main().MessageKind = 2;
    d.setAnswerer([&](TModalDialog&) {
        EXPECT_TRUE(ui.btnMegsem->isHidden());
        EXPECT_TRUE(ui.btnOk->isEnabled());
        EXPECT_LE(std::abs(2 * ui.btnOk->x() + ui.btnOk->width() - d.width()), 1);
        QTest::mouseClick(ui.btnOk, Qt::LeftButton);
    });
    EXPECT_EQ(d.ShowModal(), QDialog::Accepted);
    EXPECT_EQ(d.windowTitle(), "System message");
    EXPECT_EQ(ui.lSor1->text(), "For the connected interface");
    EXPECT_EQ(ui.lSor2->text(), "firmware update necessary");
    EXPECT_TRUE(centred(ui.lSor1, &d));

    // 3: a device reset; OK waits until warm or cold is chosen, Cancel is always there.
    main().MessageKind = 3;
    d.setAnswerer([&](TModalDialog&) {
        EXPECT_EQ(ui.btnOk->x(), TfrmKerdes::OkDesignLeft);
        EXPECT_FALSE(ui.btnMegsem->isHidden());
        EXPECT_FALSE(ui.rbWarm->isHidden());
        EXPECT_FALSE(ui.rbWarm->isChecked());
        EXPECT_FALSE(ui.rbCold->isChecked());
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
    EXPECT_EQ(ui.lSor2->text(), "Continue?");

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
    main().LanguageName = "German";
    main().ApplyLanguage();
    main().MessageKind = 1;
    look(d);
    EXPECT_EQ(d.windowTitle(), TextOf(88, 3));
    EXPECT_EQ(ui.lSor1->text(), TextOf(89, 3));
    EXPECT_EQ(ui.lSor2->text(), TextOf(90, 3));
    EXPECT_TRUE(ui.rbWarm->isHidden());
    EXPECT_TRUE(ui.rbCold->isHidden());
    EXPECT_FALSE(ui.btnMegsem->isHidden());
    EXPECT_TRUE(ui.btnOk->isEnabled());
    EXPECT_EQ(ui.btnOk->x(), TfrmKerdes::OkDesignLeft);
    EXPECT_EQ(ui.btnMegsem->text(), TextOf(19, 3));
    // The long German warning is not cut off at both ends: the dialog grows to hold it.
    EXPECT_GE(ui.lSor1->x(), 0);
    EXPECT_LE(ui.lSor1->x() + ui.lSor1->width(), d.width());
    EXPECT_TRUE(centred(ui.lSor1, &d));
    const int germanWidth = d.width();
    main().LanguageName = "English";
    main().ApplyLanguage();
    look(d);
    EXPECT_LT(d.width(), germanWidth); // back to its own width
    EXPECT_TRUE(centred(ui.lSor1, &d));
}
