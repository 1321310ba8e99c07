#include <QLabel>
#include <map>

#include "views/ValueTexts.h"
#include "views_fixture.h"

using ValueTextsPage = ViewsTest;

namespace {
// The text for every byte value: the named ones, the manufacturer range, "out of range" elsewhere.
QString Expected(const std::map<int, QString>& named, bool makerRange, int value) {
    if (auto it = named.find(value); it != named.end()) return it->second;
    if (makerRange && value >= 0x80 && value <= 0xDF) return QStringLiteral(" Manufact. specific states");
    return QStringLiteral("out of range");
}
} // namespace

// Every byte value of the three text-valued fields, read from the labels of the page.
TEST_F(ValueTextsPage, EveryValueOfDisplayInvertLampStateAndLampOnMode) {
    const int node = AddDevice([](tRdmDevice&) {});
    tRdmDevice& rec = *view.RecordAt(node);
    const std::map<int, QString> invert{{0x00, " OFF"}, {0x01, " ON"}, {0x02, " AUTO"}};
    const std::map<int, QString> lamp{{0x00, " LAMP OFF"},         {0x01, " LAMP ON"},
                                      {0x02, " LAMP STRIKE"},      {0x03, " LAMP STANDBY"},
                                      {0x04, " LAMP NOT PRESENT"}, {0x7F, " LAMP ERROR"}};
    const std::map<int, QString> onMode{{0x00, " LAMP ON MODE: OFF"},
                                        {0x01, " LAMP ON MODE: DMX"},
                                        {0x02, " LAMP ON MODE: ON"},
                                        {0x03, " LAMP ON MODE: AFTER CAL"}};
    for (int v = 0; v <= 255; ++v) {
        rec.displayInvert = rec.lampState = rec.lampOnMode = uint8_t(v);
        view.ShowDisplayInvert(node, true);
        view.ShowLampState(node, true);
        view.ShowLampOnMode(node, true);
        ASSERT_EQ(ui.lDispInv->text(), Expected(invert, false, v)) << v;
        ASSERT_EQ(ui.lLampState->text(), Expected(lamp, true, v)) << v;
        ASSERT_EQ(ui.lLampOnMode->text(), Expected(onMode, true, v)) << v;
    }
    EXPECT_EQ(ui.cbDispInv->currentIndex(), -1);
    EXPECT_EQ(ui.cbLampState->currentIndex(), -1);
    EXPECT_EQ(ui.cbLampOnMode->currentIndex(), -1);
    // The combo boxes' own choices are fixed.
    EXPECT_EQ(Items(ui.cbDispInv), (QStringList{"OFF", "ON", "AUTO"}));
    EXPECT_EQ(Items(ui.cbLampState), (QStringList{"LAMP OFF", "LAMP ON", "LAMP STRIKE", "LAMP STANDBY"}));
    EXPECT_EQ(Items(ui.cbLampOnMode), (QStringList{"OFF", "DMX", "ON", "AFTER CAL"}));
    for (const QComboBox* cb : {ui.cbPanInv, ui.cbTiltInv, ui.cbPTSwap})
        EXPECT_EQ(Items(cb), (QStringList{"OFF", "ON"}));
}

TEST_F(ValueTextsPage, EveryPowerStateSelectsItsItem) {
    const int node = AddDevice([](tRdmDevice&) {});
    const QStringList four{"FULL OFF", "SHUTDOWN", "STANDBY", "NORMAL"};
    for (int v = 0; v <= 255; ++v) {
        view.RecordAt(node)->powerState = uint8_t(v);
        view.ShowPowerState(node, true);
        const int item = v <= 2 ? v : v == 0xFF ? 3 : 4;
        ASSERT_EQ(Items(ui.cbPowState), item < 4 ? four : four + QStringList{"out of range"}) << v;
        ASSERT_EQ(ui.cbPowState->currentIndex(), item) << v;
    }
}

// The category label of the details tab for every product category code of E1.20,
// and for codes the standard lacks.
TEST_F(ValueTextsPage, EveryProductCategoryAndSubCategory) {
    const std::map<int, QString> top{{0x00, "NOT DECLARED CHATEGORY"},
                                     {0x01, "FIXTURE"},
                                     {0x02, "FIXTURE ACCESSORY"},
                                     {0x03, "PROJECTOR"},
                                     {0x04, "ATMOSPHERIC"},
                                     {0x05, "DIMMER"},
                                     {0x06, "POWER"},
                                     {0x07, "SCENIC"},
                                     {0x08, "DATA"},
                                     {0x09, "AV"},
                                     {0x0A, "MONITOR"},
                                     {0x70, "CONTROL"},
                                     {0x71, "TEST"},
                                     {0x7F, "OTHER"}};
    const std::map<int, QString> sub{
        {0x0101, "FIXED"},
        {0x0102, "MOVING YOKE"},
        {0x0103, "MOVING MIRROR"},
        {0x01FF, "OTHER"},
        {0x0201, "COLOR"},
        {0x0202, "YOKE"},
        {0x0203, "MIRROR"},
        {0x0204, "EFFECT"},
        {0x0205, "BEAM"},
        {0x02FF, "OTHER"},
        {0x0301, "FIXED"},
        {0x0302, "MOVING YOKE"},
        {0x0303, "MOVING MIRROR"},
        {0x03FF, "OTHER"},
        {0x0401, "EFFECT"},
        {0x0402, "PYRO"},
        {0x04FF, "OTHER"},
        {0x0501, "AC INCANDESCENT (AC > 50VAC)"},
        {0x0502, "AC FLUORESCENT"},
        {0x0503, "AC COLDCATHODE"},
        {0x0504, "AC NONDIM"},
        {0x0505, "AC ELV (AC <= 50V)"},
        {0x0506, "AC OTHER"},
        {0x0507, "DC LEVEL (Variable DC level output)"},
        {0x0508, "DC PWM"},
        {0x0509, "CS LED (Specialized LED dimmer)"},
        {0x05FF, "OTHER"},
        {0x0601, "CONTROL"},
        {0x0602, "SOURCE"},
        {0x06FF, "OTHER"},
        {0x0701, "DRIVE"},
        {0x07FF, "OTHER"},
        {0x0801, "DISTRIBUTION"},
        {0x0802, "CONVERSION"},
        {0x08FF, "OTHER"},
        {0x0901, "AUDIO"},
        {0x0902, "VIDEO"},
        {0x09FF, "OTHER"},
        {0x0A01, "ACLINEPOWER"},
        {0x0A02, "DCPOWER"},
        {0x0A03, "ENVIRONMENTAL"},
        {0x0AFF, "OTHER"},
        {0x7001, "CONTROLLER"},
        {0x7002, "BACKUPDEVICE"},
        {0x70FF, "OTHER"},
        {0x7101, "EQUIPMENT"},
        {0x71FF, "EQUIPMENT OTHER"},
    };
    const int node = AddDevice([](tRdmDevice&) {});
    for (int code = 0; code <= 0xFFFF; ++code) {
        const auto t = top.find(code >> 8);
        const QString first = t != top.end() ? t->second : QStringLiteral("NOT DEFINED CHATEGORY");
        QString second;
        if (const auto s = sub.find(code); s != sub.end())
            second = s->second;
        else if ((code & 0xFF) == 0 && code != 0 && t != top.end() && code != 0x7F00)
            second = "-";
        const QString expected = first + " " + second;
        // The label itself for the codes of the standard, the functions for the rest of the space.
        if (t != top.end() && ((code & 0xFF) == 0 || (code & 0xFF) == 0xFF || (code & 0xFF) < 0x0B)) {
            view.RecordAt(node)->productCategory = uint16_t(code);
            view.ShowDeviceDetails(node);
            ASSERT_EQ(ui.lProdCatD->text(), expected) << std::hex << code;
        } else {
            ASSERT_EQ(GetProductCategoryName(uint16_t(code)) + " " +
                          GetProductSubCategoryName(uint16_t(code)),
                      expected)
                << std::hex << code;
        }
    }
}

TEST(ValueTexts, ZeroPaddingAndProtocolVersion) {
    EXPECT_EQ(IntToStrZeroPad(0, 3), "000");
    EXPECT_EQ(IntToStrZeroPad(7, 2), "07");
    EXPECT_EQ(IntToStrZeroPad(514, 3), "514");
    EXPECT_EQ(IntToStrZeroPad(65535, 2), "65535");
    EXPECT_EQ(ProtocolVersionText(0x0100), " v.1.0.");
    EXPECT_EQ(ProtocolVersionText(0xFF0A), " v.255.10.");
}
