#include "views_fixture.h"

using ParameterPage = ViewsTest;

// One record shown twice. Listing no parameters, every field with a support test shows its unsupported form,
// while category, software version, sensors, personalities, start address and identify still show the
// record's values; listing them all, every field shows its value. Showing never leaves a Modify button
// enabled, even where setting a control ran its change handler.
TEST_F(ParameterPage, EveryFieldUnlistedAndListed) {
    const int node = AddDevice([](tRdmDevice& r) {
        r.rdmProtocolVersion = 0x0100;
        r.productCategory = 0x0508;
        r.softwareVersionLabel = "v.1.2";
        r.softwareVersionId = 0xFFFFFFFF;
        r.modelDescription = "MODEL";
        r.manufacturerLabel = "Maker";
        r.deviceLabel = "Stage left";
        r.bootSoftwareVersionLabel = "boot";
        r.bootSoftwareVersionId = 7;
        r.sensorCount = 1;
        r.sensors[0].description = "Temp";
        r.personalityCount = r.currentPersonality = 1;
        r.personalities[1] = {3, "RGB"};
        r.dmxStartAddress = 12;
        r.identify = 1;
        r.deviceHours = 143;
        r.lampHours = 16777215;
        r.lampStrikes = 3;
        r.devicePowerCycles = 99;
        r.lampState = 0x7F;
        r.lampOnMode = 0x80;
        r.displayInvert = 0x02;
        r.displayLevel = 200;
        r.panInvert = 1;
        r.panTiltSwap = 7;
        r.powerState = 0x03;
    });
    const QString no = "not supported", lamp = "LAMP OFF|LAMP ON|LAMP STRIKE|LAMP STANDBY";
    const struct {
        const QWidget* control;
        QString unlisted, listed;
    } rows[] = {
        {ui->lUidD, "7FF3:00000001", "7FF3:00000001"},
        {ui->lRdmProtVerD, " v.1.0.", " v.1.0."},
        {ui->lProdCatD, "DIMMER DC PWM", "DIMMER DC PWM"},
        {ui->lSoftVerLabD, "v.1.2", "v.1.2"},
        {ui->lSoftVerIdD, "4294967295", "4294967295"},
        {ui->lbSensDesc, "1. - Temp", "1. - Temp"},
        {ui->cbPersonality, "[1. - 3 ch - RGB]", "[1. - 3 ch - RGB]"},
        {ui->seDmxStartAdrD, "12", "12"},
        {ui->btnIdentify, "Identify STOP", "Identify STOP"},
        {ui->lDevModDescD, no, "MODEL"},
        {ui->eDeviceLabel, no, "Stage left"},
        {ui->lManufacturerD, no, "Maker"},
        {ui->lBootSoftVerLabD, " " + no, "boot"},
        {ui->lBootSoftVerIdD, " -", "7"},
        {ui->cbLanguage, "[" + no + "]", "[" + no + "]"},
        {ui->lbProdDet, no, no},
        {ui->lbSlotInf, no, no},
        {ui->cbPowState, "[" + no + "]", "FULL OFF|SHUTDOWN|STANDBY|NORMAL|[out of range]"},
        {ui->lDevHours, no, "143 h"},
        {ui->seLampHours, "0", "16777215"},
        {ui->seLampStrikes, "0", "3"},
        {ui->seDevPowCyc, "0", "99"},
        {ui->lLampState, no, " LAMP ERROR"},
        {ui->cbLampState, lamp, lamp},
        {ui->lLampOnMode, no, " Manufact. specific states"},
        {ui->cbLampOnMode, "OFF|DMX|ON|AFTER CAL", "OFF|DMX|ON|AFTER CAL"},
        {ui->lDispInv, no, " AUTO"},
        {ui->cbDispInv, "OFF|ON|AUTO", "OFF|ON|AUTO"},
        {ui->seDispLevel, "0", "200"},
        {ui->cbPanInv, "OFF|ON", "OFF|[ON]"},
        {ui->cbTiltInv, "OFF|ON", "[OFF]|ON"},
        {ui->cbPTSwap, "OFF|ON", "OFF|[ON]"},
    };
    for (bool listed : {false, true}) {
        SCOPED_TRACE(listed ? "listed" : "unlisted");
        if (listed)
            Supports(*view->RecordAt(node),
                     {0x0080, 0x0081, 0x0082, 0x00C1, 0x00C2, 0x0400, 0x0401, 0x0402, 0x0403, 0x0404, 0x0405,
                      0x0500, 0x0501, 0x0600, 0x0601, 0x0602, 0x1010, 0x0090, 0x1001});
        view->ShowDeviceDetails(node);
        for (const auto& row : rows)
            EXPECT_EQ(Shown(row.control).toStdString(), (listed ? row.listed : row.unlisted).toStdString())
                << row.control->objectName().toStdString();
        ExpectEnabled({ui->seDmxStartAdrD, ui->cbQuietIdentify, ui->btnIdentify}, true);
        ExpectEnabled({ui->eDeviceLabel, ui->cbLampState, ui->seLampHours, ui->cbDispInv, ui->cbPanInv,
                       ui->btnSetFactDef, ui->btnReset},
                      listed);
        ExpectEnabled({ui->btnModDmxAdr, ui->btnModDmxPers, ui->btnModDevLab, ui->btnModLang,
                       ui->btnModLampHours, ui->btnModLampStrikes, ui->btnModDevPowCyc, ui->btnModLampState,
                       ui->btnModLampOnMode, ui->btnDispInv, ui->btnDispLevel, ui->btnPanInv, ui->btnTiltInv,
                       ui->btnPTSwap, ui->btnModPowState},
                      false);
    }
}

TEST_F(ParameterPage, PersonalitiesSensorsAndStartAddresses) {
    const int node = AddDevice([](tRdmDevice& r) {
        r.personalityCount = 3;
        r.personalities[1] = {3, "A"};
        r.personalities[2] = {0, "B"};
        r.personalities[3] = {5, "C"};
        r.sensorCount = 2;
        r.sensors[0].description = "T";
        r.sensors[1].number = 255;
    });
    view->ShowDeviceDetails(node);
    // Current personality 0 selects none.
    ExpectShown({{ui->cbPersonality, "1. - 3 ch - A|2. - 0 ch - B|3. - 5 ch - C"},
                 {ui->lNumOfDmxPersD, "3"},
                 {ui->lbSensDesc, "1. - T|2. - not supported"}});
    const std::pair<int, int> addresses[] = {{513, 0}, {0xFFFF, 0}, {512, 512}, {1, 1}};
    for (const auto& [address, shown] : addresses) {
        view->RecordAt(node)->dmxStartAddress = uint16_t(address);
        view->ShowDeviceDetails(node);
        EXPECT_EQ(ui->seDmxStartAdrD->value(), shown) << address;
        EXPECT_EQ(ui->seDmxStartAdrD->isEnabled(), shown != 0) << address;
    }
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
    view->ShowDeviceDetails(node);
    ExpectShown({{ui->cbLanguage, "English|[German]|undefined"}, {ui->lbProdDet, "C02|undefined"}});
    EXPECT_TRUE(ui->cbLanguage->isEnabled());
    EXPECT_EQ(ui->lbProdDet->currentRow(), -1);

    view->RecordAt(node)->languageCount = 0;
    view->ShowDeviceDetails(node);
    EXPECT_EQ(Shown(ui->cbLanguage), "[out of range]");

    // A device without language support after one with languages: exactly one item.
    const int other = AddDevice([](tRdmDevice&) {});
    view->RecordAt(node)->languageCount = 2;
    view->ShowDeviceDetails(node);
    view->ShowDeviceDetails(other);
    EXPECT_EQ(Shown(ui->cbLanguage), "[not supported]");
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
    view->ShowDeviceDetails(node);
    EXPECT_EQ(Items(ui->lbSlotInf),
              (QStringList{"01. DMX:510 Color Add Red", "02. DMX:511 AMBER",
                           "03. DMX:512 Sec Fine of slot nr.:1", "04. DMX:513not defined primary slot",
                           "05. DMX:514 not defined secondary slot of slot nr.:3"}));
    EXPECT_TRUE(ui->lbSlotInf->isEnabled());
    view->RecordAt(node)->dmxStartAddress = 0;
    view->ShowDeviceDetails(node);
    EXPECT_TRUE(Items(ui->lbSlotInf).front().startsWith("01. DMX:000 "));
    view->RecordAt(node)->slotCount = 0;
    view->ShowDeviceDetails(node);
    EXPECT_EQ(Shown(ui->lbSlotInf), "there is no slot in current personality");
    EXPECT_FALSE(ui->lbSlotInf->isEnabled());
}

// Clearing resets both tabs, pan/tilt swap with the rest; a group node shows its own form (the
// manufacturer label stays from the device shown before); an index that no longer exists shows nothing and
// touches no record.
TEST_F(ParameterPage, ClearingGroupNodeAndMissingNode) {
    const int node = AddDevice([](tRdmDevice& r) {
        Supports(r, {0x0081, 0x0602, 0x0600});
        r.manufacturerLabel = "Pellmor GmbH";
        r.personalityCount = 1;
        r.personalities[1] = {3, "A"};
        r.panTiltSwap = r.panInvert = 1;
    });
    view->ShowDeviceDetails(node);
    ui->btnModLampStrikes->setEnabled(true);
    ui->cbPTSwap->setCurrentIndex(0); // changed by the user: its Modify enabled
    view->ClearDeviceDetails();
    ExpectShown(
        {{ui->lUidD, " -"}, {ui->cbPowState, "[ -]"}, {ui->cbPTSwap, "OFF|ON"}, {ui->cbPanInv, "OFF|ON"}});
    ExpectEnabled({ui->cbPanInv, ui->cbPTSwap, ui->btnPTSwap, ui->btnModLampStrikes}, false);

    view->ShowDeviceDetails(node);
    view->ShowDeviceDetails(node - 1);
    ExpectShown({{ui->lUidD, "7FF3"},
                 {ui->lManufacturerD, "Pellmor GmbH"},
                 {ui->lRdmProtVerD, " -"},
                 {ui->cbLanguage, "[ -]"},
                 {ui->cbPowState, "[not supported]"},
                 {ui->cbPersonality, ""},
                 {ui->btnIdentify, "Identify START"}});
    EXPECT_FALSE(ui->btnIdentify->isEnabled());

    view->ShowDeviceDetails(500);
    EXPECT_EQ(ui->lUidD->text(), " -");
    EXPECT_FALSE(view->DeviceSupportsPid(500, 0x0081));
}
