#include "views/ValueTexts.h"
#include "views_fixture.h"

using ValueTextsPage = ViewsTest;

// Every byte value of the text-valued fields, read from the page: the named values from 0 up, " LAMP ERROR"
// at 0x7F, the manufacturer range 0x80..0xDF where the field has one, "out of range" elsewhere; the power
// state selects its item, with "out of range" added for the values it lacks.
TEST_F(ValueTextsPage, EveryByteValueOfTheTextValuedFields) {
    const int node = AddDevice([](tRdmDevice&) {});
    tRdmDevice& rec = *view->RecordAt(node);
    const struct {
        const QLabel* label;
        QStringList named;
        bool lamp;
    } fields[] = {
        {ui->lDispInv, {" OFF", " ON", " AUTO"}, false},
        {ui->lLampState,
         {" LAMP OFF", " LAMP ON", " LAMP STRIKE", " LAMP STANDBY", " LAMP NOT PRESENT"},
         true},
        {ui->lLampOnMode,
         {" LAMP ON MODE: OFF", " LAMP ON MODE: DMX", " LAMP ON MODE: ON", " LAMP ON MODE: AFTER CAL"},
         true}};
    const QStringList power{"FULL OFF", "SHUTDOWN", "STANDBY", "NORMAL"};
    for (int v = 0; v <= 255; ++v) {
        rec.displayInvert = rec.lampState = rec.lampOnMode = rec.powerState = uint8_t(v);
        view->ShowPowerState(node, true);
        view->ShowDisplayInvert(node, true);
        view->ShowLampState(node, true);
        view->ShowLampOnMode(node, true);
        for (const auto& f : fields) {
            QString expected = v < f.named.size() ? f.named[v] : "out of range";
            if (f.lamp && v >= 0x80 && v <= 0xDF) expected = " Manufact. specific states";
            if (f.label == ui->lLampState && v == 0x7F) expected = " LAMP ERROR";
            ASSERT_EQ(f.label->text(), expected) << f.label->objectName().toStdString() << " " << v;
        }
        const int item = v <= 2 ? v : v == 0xFF ? 3 : 4;
        ASSERT_EQ(Items(ui->cbPowState), item < 4 ? power : power + QStringList{"out of range"}) << v;
        ASSERT_EQ(ui->cbPowState->currentIndex(), item) << v;
    }
}

// The category label: categories with their sub-categories, the two spellings of the undeclared and undefined
// ones, "-" for a sub-category byte of 0, and blanks for what the standard lacks.
TEST_F(ValueTextsPage, ProductCategoryLabel) {
    const std::pair<uint16_t, QString> rows[] = {
        {0x0000, "NOT DECLARED CHATEGORY "},
        {0x0100, "FIXTURE -"},
        {0x010A, "FIXTURE "},
        {0x0205, "FIXTURE ACCESSORY BEAM"},
        {0x0501, "DIMMER AC INCANDESCENT (AC > 50VAC)"},
        {0x0508, "DIMMER DC PWM"},
        {0x0A03, "MONITOR ENVIRONMENTAL"},
        {0x71FF, "TEST EQUIPMENT OTHER"},
        {0x7F00, "OTHER "},
        {0x7FFF, "OTHER "},
        {0x0B00, "NOT DEFINED CHATEGORY "},
        {0xFF01, "NOT DEFINED CHATEGORY "},
    };
    const int node = AddDevice([](tRdmDevice&) {});
    for (const auto& [code, text] : rows) {
        view->RecordAt(node)->productCategory = code;
        view->ShowDeviceDetails(node);
        EXPECT_EQ(ui->lProdCatD->text(), text) << std::hex << code;
    }
}

TEST(ValueTexts, ZeroPaddingAndProtocolVersion) {
    EXPECT_EQ(IntToStrZeroPad(0, 3), "000");
    EXPECT_EQ(IntToStrZeroPad(7, 2), "07");
    EXPECT_EQ(IntToStrZeroPad(514, 3), "514");
    EXPECT_EQ(IntToStrZeroPad(65535, 2), "65535");
    EXPECT_EQ(ProtocolVersionText(0xFF0A), " v.255.10.");
}
