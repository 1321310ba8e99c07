#include "views_fixture.h"

using ParameterPage = ViewsTest;

TEST_F(ParameterPage, DeviceListingNoParametersShowsTheUnsupportedFormButItsOwnValues) {
    const int node = AddDevice([](tRdmDevice& r) {
        r.rdmProtocolVersion = 0x0100;
        r.productCategory = 0x0508;
        r.softwareVersionLabel = "v.1.2";
        r.softwareVersionId = 0xFFFFFFFF;
        r.modelDescription = "HIDDEN";
        r.sensorCount = 1;
        r.sensors[0].description = "Temp";
        r.personalityCount = 1;
        r.currentPersonality = 1;
        r.personalities[1] = {3, "RGB"};
        r.dmxStartAddress = 12;
        r.identify = 1;
        r.lampState = 1;
    });
    view.ShowDeviceDetails(node);
    EXPECT_EQ(ui.lUidD->text(), "7FF3:00000001");
    EXPECT_EQ(ui.lRdmProtVerD->text(), " v.1.0.");
    EXPECT_EQ(ui.lDevModDescD->text(), "not supported");
    EXPECT_EQ(ui.eDeviceLabel->text(), "not supported");
    EXPECT_FALSE(ui.eDeviceLabel->isEnabled());
    EXPECT_EQ(ui.lManufacturerD->text(), "not supported");
    EXPECT_EQ(ui.lProdCatD->text(), "DIMMER DC PWM");
    EXPECT_EQ(ui.lSoftVerLabD->text(), "v.1.2");
    EXPECT_EQ(ui.lSoftVerIdD->text(), "4294967295");
    EXPECT_EQ(ui.lBootSoftVerLabD->text(), " not supported");
    EXPECT_EQ(ui.lBootSoftVerIdD->text(), " -");
    EXPECT_EQ(Items(ui.cbLanguage), QStringList{"not supported"});
    EXPECT_FALSE(ui.cbLanguage->isEnabled());
    EXPECT_EQ(Items(ui.lbSensDesc), QStringList{"1. - Temp"});
    EXPECT_EQ(Items(ui.lbProdDet), QStringList{"not supported"});
    EXPECT_EQ(Items(ui.lbSlotInf), QStringList{"not supported"});
    EXPECT_EQ(Items(ui.cbPowState), QStringList{"not supported"});
    EXPECT_EQ(Items(ui.cbPersonality), QStringList{"1. - 3 ch - RGB"});
    EXPECT_EQ(ui.cbPersonality->currentIndex(), 0);
    EXPECT_EQ(ui.seDmxStartAdrD->value(), 12);
    EXPECT_TRUE(ui.seDmxStartAdrD->isEnabled());
    EXPECT_TRUE(ui.cbQuietIdentify->isEnabled());
    EXPECT_EQ(ui.btnIdentify->text(), "Identify STOP");
    EXPECT_TRUE(ui.btnIdentify->isEnabled());
    EXPECT_EQ(ui.lDevHours->text(), "not supported");
    EXPECT_EQ(ui.lLampState->text(), "not supported");
    EXPECT_FALSE(ui.cbLampState->isEnabled());
    EXPECT_FALSE(ui.seLampHours->isEnabled());
    EXPECT_EQ(ui.cbPanInv->currentIndex(), -1);
    EXPECT_FALSE(ui.btnSetFactDef->isEnabled());
    EXPECT_FALSE(ui.btnReset->isEnabled());
    // Showing never leaves a Modify button enabled, even when setting a value ran its change handler.
    for (QPushButton* b :
         {ui.btnModDmxAdr, ui.btnModDmxPers, ui.btnModDevLab, ui.btnModPowState, ui.btnModLang})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
}

TEST_F(ParameterPage, SupportedFieldsShowTheirValueTexts) {
    const int node = AddDevice([](tRdmDevice& r) {
        Supports(r, {0x0080, 0x0081, 0x0082, 0x00C1, 0x00C2, 0x0400, 0x0401, 0x0402, 0x0403, 0x0404, 0x0405,
                     0x0500, 0x0501, 0x0600, 0x0601, 0x0602, 0x1010, 0x0090, 0x1001});
        r.modelDescription = "MODEL";
        r.manufacturerLabel = "Maker";
        r.deviceLabel = "Stage left";
        r.bootSoftwareVersionLabel = "boot";
        r.bootSoftwareVersionId = 7;
        r.deviceHours = 143;
        r.lampHours = 16777215;
        r.lampStrikes = 3;
        r.devicePowerCycles = 99;
        r.lampState = 0x7F;
        r.lampOnMode = 0x80;
        r.displayInvert = 0x02;
        r.displayLevel = 200;
        r.panInvert = 1;
        r.tiltInvert = 0;
        r.panTiltSwap = 7;
        r.powerState = 0x03;
        r.productCategory = 0x7FFF;
    });
    view.ShowDeviceDetails(node);
    EXPECT_EQ(ui.lDevModDescD->text(), "MODEL");
    EXPECT_EQ(ui.lManufacturerD->text(), "Maker");
    EXPECT_EQ(ui.eDeviceLabel->text(), "Stage left");
    EXPECT_TRUE(ui.eDeviceLabel->isEnabled());
    EXPECT_EQ(ui.lBootSoftVerLabD->text(), "boot");
    EXPECT_EQ(ui.lBootSoftVerIdD->text(), "7");
    EXPECT_EQ(ui.lProdCatD->text(), "OTHER ");
    EXPECT_EQ(ui.lDevHours->text(), "143 h");
    EXPECT_EQ(ui.seLampHours->value(), 16777215);
    EXPECT_EQ(ui.seLampStrikes->value(), 3);
    EXPECT_EQ(ui.seDevPowCyc->value(), 99);
    EXPECT_EQ(ui.lLampState->text(), " LAMP ERROR");
    EXPECT_EQ(ui.lLampOnMode->text(), " Manufact. specific states");
    EXPECT_EQ(ui.lDispInv->text(), " AUTO");
    EXPECT_EQ(ui.cbDispInv->currentIndex(), -1);
    EXPECT_TRUE(ui.cbDispInv->isEnabled());
    EXPECT_EQ(ui.seDispLevel->value(), 200);
    EXPECT_EQ(ui.cbPanInv->currentText(), "ON");
    EXPECT_EQ(ui.cbTiltInv->currentText(), "OFF");
    EXPECT_EQ(ui.cbPTSwap->currentText(), "ON");
    EXPECT_EQ(Items(ui.cbPowState),
              (QStringList{"FULL OFF", "SHUTDOWN", "STANDBY", "NORMAL", "out of range"}));
    EXPECT_EQ(ui.cbPowState->currentText(), "out of range");
    EXPECT_TRUE(ui.btnSetFactDef->isEnabled());
    EXPECT_TRUE(ui.btnReset->isEnabled());
    for (QPushButton* b : {ui.btnModLampHours, ui.btnModLampStrikes, ui.btnModDevPowCyc, ui.btnModLampState,
                           ui.btnModLampOnMode, ui.btnDispInv, ui.btnDispLevel, ui.btnPanInv, ui.btnTiltInv,
                           ui.btnPTSwap, ui.btnModPowState})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
}

TEST_F(ParameterPage, PersonalitiesAddressesAndSensors) {
    const int node = AddDevice([](tRdmDevice& r) {
        r.personalityCount = 3;
        r.currentPersonality = 0;
        r.personalities[1] = {3, "A"};
        r.personalities[2] = {0, "B"};
        r.personalities[3] = {5, "C"};
        r.sensorCount = 2;
        r.sensors[0] = tRdmSensor{0, 0, 0, 0, 0, 0, 0, 0, 0, "T"};
        r.sensors[1].number = 255;
        r.dmxStartAddress = 513;
    });
    view.ShowDeviceDetails(node);
    EXPECT_EQ(Items(ui.cbPersonality), (QStringList{"1. - 3 ch - A", "2. - 0 ch - B", "3. - 5 ch - C"}));
    EXPECT_EQ(ui.cbPersonality->currentIndex(), -1);
    EXPECT_EQ(ui.lNumOfDmxPersD->text(), "3");
    EXPECT_EQ(Items(ui.lbSensDesc), (QStringList{"1. - T", "2. - not supported"}));
    EXPECT_EQ(ui.seDmxStartAdrD->value(), 0);
    EXPECT_FALSE(ui.seDmxStartAdrD->isEnabled());
    view.RecordAt(node)->dmxStartAddress = 0xFFFF;
    view.ShowDeviceDetails(node);
    EXPECT_EQ(ui.seDmxStartAdrD->value(), 0);
    EXPECT_FALSE(ui.seDmxStartAdrD->isEnabled());
    view.RecordAt(node)->dmxStartAddress = 512;
    view.ShowDeviceDetails(node);
    EXPECT_EQ(ui.seDmxStartAdrD->value(), 512);
    EXPECT_TRUE(ui.seDmxStartAdrD->isEnabled());
}

TEST_F(ParameterPage, LanguagesAndProductDetails) {
    const int node = AddDevice([](tRdmDevice& r) {
        Supports(r, {0x00B0, 0x0070});
        r.languageCount = 3;
        r.languageCodes[0] = 0x656E; // en
        r.languageCodes[1] = 0x6465; // de
        r.languageCodes[2] = 0x5A5A;
        r.currentLanguage = 0x6465;
        r.productDetailCount = 2;
        r.productDetailIds[0] = 0x0303;
        r.productDetailIds[1] = 0x0A03;
    });
    view.ShowDeviceDetails(node);
    EXPECT_EQ(Items(ui.cbLanguage), (QStringList{"English", "German", "undefined"}));
    EXPECT_EQ(ui.cbLanguage->currentIndex(), 1);
    EXPECT_TRUE(ui.cbLanguage->isEnabled());
    EXPECT_EQ(Items(ui.lbProdDet), (QStringList{"C02", "undefined"}));
    EXPECT_EQ(ui.lbProdDet->currentRow(), -1);

    view.RecordAt(node)->languageCount = 0;
    view.ShowDeviceDetails(node);
    EXPECT_EQ(Items(ui.cbLanguage), QStringList{"out of range"});

    // A device without language support after one with languages: exactly one item.
    const int other = AddDevice([](tRdmDevice&) {});
    view.RecordAt(node)->languageCount = 2;
    view.ShowDeviceDetails(node);
    view.ShowDeviceDetails(other);
    EXPECT_EQ(Items(ui.cbLanguage), QStringList{"not supported"});
}

TEST_F(ParameterPage, SlotLines) {
    const int node = AddDevice([](tRdmDevice& r) {
        Supports(r, {0x0120});
        r.dmxStartAddress = 510;
        r.slotCount = 5;
        r.slotInfo[0] = {0, 0, 0x0205, "RED"};
        r.slotInfo[1] = {1, 0, 0xFFFF, "AMBER"};
        r.slotInfo[2] = {2, 1, 0, ""};
        r.slotInfo[3] = {3, 0, 0x0000, ""};
        r.slotInfo[4] = {4, 0x08, 2, ""};
    });
    view.ShowDeviceDetails(node);
    EXPECT_EQ(Items(ui.lbSlotInf),
              (QStringList{"01. DMX:510 Color Add Red", "02. DMX:511 AMBER",
                           "03. DMX:512 Sec Fine of slot nr.:1", "04. DMX:513not defined primary slot",
                           "05. DMX:514 not defined secondary slot of slot nr.:3"}));
    EXPECT_TRUE(ui.lbSlotInf->isEnabled());
    view.RecordAt(node)->dmxStartAddress = 0;
    view.ShowDeviceDetails(node);
    EXPECT_TRUE(Items(ui.lbSlotInf).front().startsWith("01. DMX:000 "));
    view.RecordAt(node)->slotCount = 0;
    view.ShowDeviceDetails(node);
    EXPECT_EQ(Items(ui.lbSlotInf), QStringList{"there is no slot in current personality"});
    EXPECT_FALSE(ui.lbSlotInf->isEnabled());
}

TEST_F(ParameterPage, GroupNodeAndMissingNode) {
    const int node = AddDevice([](tRdmDevice& r) {
        Supports(r, {0x0081});
        r.manufacturerLabel = "Pellmor GmbH";
        r.personalityCount = 1;
        r.personalities[1] = {3, "A"};
    });
    view.ShowDeviceDetails(node);
    view.ShowDeviceDetails(node - 1); // its group
    EXPECT_EQ(ui.lUidD->text(), "7FF3");
    EXPECT_EQ(ui.lManufacturerD->text(), "Pellmor GmbH"); // kept from the device shown before
    EXPECT_EQ(ui.lRdmProtVerD->text(), " -");
    EXPECT_EQ(Items(ui.cbLanguage), QStringList{" -"});
    EXPECT_EQ(Items(ui.cbPowState), QStringList{"not supported"});
    EXPECT_EQ(ui.cbPersonality->count(), 0);
    EXPECT_EQ(ui.btnIdentify->text(), "Identify START");
    EXPECT_FALSE(ui.btnIdentify->isEnabled());

    // An index that no longer exists shows nothing and touches no record.
    view.ShowDeviceDetails(500);
    EXPECT_EQ(ui.lUidD->text(), " -");
    EXPECT_FALSE(view.DeviceSupportsPid(500, 0x0081));
}

TEST_F(ParameterPage, ClearDeviceDetailsResetsBothTabsButLeavesPanTiltSwap) {
    const int node = AddDevice([](tRdmDevice& r) {
        Supports(r, {0x0602, 0x0600});
        r.panTiltSwap = 1;
        r.panInvert = 1;
    });
    view.ShowDeviceDetails(node);
    ui.btnModLampStrikes->setEnabled(true);
    view.ClearDeviceDetails();
    EXPECT_EQ(ui.cbPTSwap->currentIndex(), 1);
    EXPECT_TRUE(ui.cbPTSwap->isEnabled());
    EXPECT_EQ(ui.cbPanInv->currentIndex(), -1);
    EXPECT_FALSE(ui.cbPanInv->isEnabled());
    EXPECT_EQ(ui.lUidD->text(), " -");
    EXPECT_EQ(Items(ui.cbPowState), QStringList{" -"});
    EXPECT_FALSE(ui.btnModLampStrikes->isEnabled());
    EXPECT_EQ(ui.btnIdentify->text(), "Identify START");
}
