// Demo devices: nine simulated nodes with sample values, so that every tab of
// the RDM page can be shown without an interface.
#include <QTreeWidget>
#include <initializer_list>

#include "rdm/RdmDevice.h"
#include "ui_RdmPage.h"
#include "views/DeviceTree.h"
#include "views/RdmPageView.h"

namespace {
constexpr uint64_t DemoManufacturer = uint64_t(0x7FF3) << 32;

struct DemoSensor {
    uint8_t type, unit;
    int16_t rangeMin, rangeMax, normalMin, normalMax;
    uint8_t recorded;
    const char* description;
};

void SetPids(tRdmDevice& rec, std::initializer_list<uint16_t> pids) {
    size_t i = 0;
    for (uint16_t pid : pids)
        rec.supportedPids[i++] = pid;
    rec.supportedPidCount = static_cast<uint8_t>(i);
}

void SetPersonalities(tRdmDevice& rec, uint8_t current, std::initializer_list<tRdmPersonality> list) {
    size_t n = 1;
    for (const tRdmPersonality& p : list)
        rec.personalities[n++] = p;
    rec.personalityCount = static_cast<uint8_t>(n - 1);
    rec.currentPersonality = current;
}

void SetSensors(tRdmDevice& rec, std::initializer_list<DemoSensor> list) {
    size_t n = 0;
    for (const DemoSensor& s : list) {
        tRdmSensor& t = rec.sensors[n];
        t.number = static_cast<uint8_t>(n);
        t.type = s.type;
        t.unit = s.unit;
        t.prefix = 0;
        t.rangeMin = s.rangeMin;
        t.rangeMax = s.rangeMax;
        t.normalMin = s.normalMin;
        t.normalMax = s.normalMax;
        t.recordedSupport = s.recorded;
        t.description = QString::fromLatin1(s.description);
        ++n;
    }
    rec.sensorCount = static_cast<uint8_t>(n);
}

void SetRgbSlots(tRdmDevice& rec, bool amberWhite) {
    const std::pair<uint16_t, const char*> rgbaw[] = {
        {0x0205, "RED"}, {0x0206, "GREEN"}, {0x0207, "BLUE"}, {0xFFFF, "AMBER"}, {0xFFFF, "WHITE"}};
    const size_t count = amberWhite ? 5 : 3;
    for (size_t i = 0; i < count; ++i) {
        rec.slotInfo[i].offset = static_cast<uint16_t>(i);
        rec.slotInfo[i].type = 0;
        rec.slotInfo[i].labelId = rgbaw[i].first;
        rec.slotInfo[i].description = QString::fromLatin1(rgbaw[i].second);
    }
    rec.slotCount = static_cast<uint8_t>(count);
}

// The personalities of the three-colour devices of the second generation.
const std::initializer_list<tRdmPersonality> Rgb2GPersonalities = {
    {3, "Dimmer mode. CHs:RGB"},
    {3, "Single mode w/ DMX pri. CHs:RGB"},
    {0, "Single mode"},
    {3, "Master mode w/ DMX pri. CHs:RGB"},
    {3, "Manual mode w/ DMX pri. CHs:RGB"},
    {0, "Manual mode"},
};

const std::initializer_list<uint16_t> SubDevicePids = {0x0201, 0x0200, 0x0080, 0x0081, 0x00E0,
                                                       0x00E1, 0x0090, 0x0082, 0x0120, 0x0121,
                                                       0x0122, 0x8002, 0x8003, 0x8004, 0x8005};

const std::initializer_list<uint16_t> Multi3GPids = {
    0x0080, 0x0081, 0x1040, 0x0201, 0x0202, 0x0200, 0x00E0, 0x00E1, 0x0090, 0x0082, 0x0400, 0x0120,
    0x0121, 0x0122, 0x0405, 0x00C1, 0x00C2, 0x1001, 0x8002, 0x8003, 0x8004, 0x8007, 0x8008};

const DemoSensor DimmerTemperature = {0x00, 1, 0, 120, 0, 80, 0, "Dimmer internal temperature"};
} // namespace

void RdmPageView::BuildDemoDeviceTree() {
    FreeDeviceRecords();
    QTreeWidget* tv = ui->tvDeviceList;
    ClearDeviceTree(tv);
    Discovery.DiscoveredCount = 0;

    Discovery.FoundUid = DemoManufacturer | 1;
    Discovery.AppendDiscoveredUid(Discovery.FoundUid);
    DeviceNode* group = AddDeviceNode(tv, nullptr, FormatManufacturerId(Discovery.FoundUid));
    group->record().nodeKind = NodeKindGroup;
    group->record().uid = Discovery.FoundUid;

    for (int n = 1; n <= 5; ++n) {
        Discovery.FoundUid += 1;
        Discovery.AppendDiscoveredUid(Discovery.FoundUid);
        DeviceNode* device = AddDeviceNode(tv, group, FormatRdmUid(Discovery.FoundUid));
        device->record().nodeKind = NodeKindDevice;
        device->record().uid = Discovery.FoundUid;
        device->record().subDevice = 0;
        if (n == 3) {
            for (uint16_t s = 1; s <= 3; ++s) {
                DeviceNode* sub = AddDeviceNode(tv, device, QString::number(s) + ". - Sub-device");
                sub->record().nodeKind = NodeKindSubDevice;
                sub->record().uid = Discovery.FoundUid;
                sub->record().subDevice = s;
            }
        }
    }
    group->setExpanded(true);
    for (int i = 0; i < group->childCount(); ++i)
        group->child(i)->setExpanded(true);
}

void RdmPageView::FillDemoDeviceData() {
    QTreeWidget* tv = ui->tvDeviceList;
    for (int node = 0; node <= 8; ++node) {
        QTreeWidgetItem* item = NodeAt(tv, node);
        tRdmDevice* found = DeviceRecord(item);
        if (!found) continue; // the tree is not the demo's: leave it alone
        tRdmDevice& rec = *found;
        rec = tRdmDevice{};
        rec.manufacturerLabel = QStringLiteral("Pellmor GmbH");
        if (node > 0) {
            rec.rdmProtocolVersion = 0x0100;
            rec.productCategory = 0x0508;
        }
        switch (node) {
        case 0:
            rec.nodeKind = NodeKindGroup;
            rec.uid = DemoManufacturer | 0x05CA03B7;
            break;
        case 1:
            rec.nodeKind = NodeKindDevice;
            rec.uid = DemoManufacturer | 0x03F0CF64;
            rec.DeviceKind = 1;
            rec.deviceModelId = 66;
            rec.softwareVersionId = 0x0042020F;
            rec.softwareVersionLabel = QStringLiteral("SW version 2.15 (66)");
            rec.modelDescription = QStringLiteral("KELVAR RGB DMX");
            SetPersonalities(rec, 1,
                             {{3, "Dimmer mode: Red, Green, Blue"},
                              {0, "Auto program mode"},
                              {1, "1 channel dimmer mode"}});
            rec.dmxStartAddress = 1;
            SetSensors(rec, {DimmerTemperature,
                             {0x1C, 0, 0, 1, 0, 1, 0, "Fine characteristic jumper"},
                             {0x81, 0, 0, 1, 0, 1, 0, "Driver type  (0-CA 1-CC)"}});
            SetPids(rec, {0x0201, 0x0200, 0x0080, 0x0081, 0x00E1, 0x0090, 0x0082, 0x8000, 0x8001});
            break;
        case 2:
            rec.nodeKind = NodeKindDevice;
            rec.uid = DemoManufacturer | 0x042DD93A;
            rec.DeviceKind = 2;
            rec.deviceModelId = 70;
            rec.softwareVersionId = 0x00460232;
            rec.softwareVersionLabel = QStringLiteral("SW version 2.50 (70)");
            rec.modelDescription = QStringLiteral("VINTARO RGB DMX 2G");
            SetPersonalities(rec, 1, Rgb2GPersonalities);
            rec.dmxStartAddress = 6;
            rec.deviceHours = 143;
            SetSensors(rec, {DimmerTemperature,
                             {0x01, 2, 0, 26, 5, 24, 0, "Driver source voltage"},
                             {0x80, 0, 0, 4, 0, 1, 0, "Driver type  (0-CA 1-CC)"}});
            SetPids(rec, {0x0201, 0x0200, 0x0080, 0x0081, 0x00E0, 0x00E1, 0x0090, 0x0082, 0x0400, 0x8002,
                          0x8003, 0x8004, 0x8005});
            break;
        case 3:
            rec.nodeKind = NodeKindDevice;
            rec.uid = DemoManufacturer | 0x043D1B5C;
            rec.DeviceKind = 3;
            rec.deviceModelId = 71;
            rec.softwareVersionId = 0x0047023F;
            rec.softwareVersionLabel = QStringLiteral("2.63 (71)");
            rec.modelDescription = QStringLiteral("Q9 VINTARO RGB DMX 2G");
            rec.dmxStartAddress = 65535;
            rec.subDeviceCount = 3;
            SetPids(rec, {0x0080, 0x0081, 0x0400, 0x8005});
            break;
        case 4:
        case 5:
        case 6: {
            const int sub = node - 3;
            rec.nodeKind = NodeKindSubDevice;
            rec.uid = DemoManufacturer | 0x043D1B5C;
            rec.subDevice = static_cast<uint16_t>(sub);
            rec.DeviceKind = 4;
            rec.deviceModelId = 71;
            rec.softwareVersionId = 0x0047023F;
            rec.softwareVersionLabel = QStringLiteral("2.63 (71)");
            rec.modelDescription = QStringLiteral("Q9 VINTARO RGB DMX 2G");
            SetPersonalities(rec, 1, Rgb2GPersonalities);
            rec.dmxStartAddress = static_cast<uint16_t>(67 + 3 * (sub - 1));
            rec.subDeviceCount = 3;
            rec.identifyMode = sub == 1 ? 70 : 0;
            SetSensors(rec, {DimmerTemperature,
                             {0x01, 2, 0, 26, 5, 24, 0, "Driver source voltage"},
                             {0x80, 0, 0, 4, 0, 1, 0, "Driver type  (0-CA 1-CC)"}});
            SetRgbSlots(rec, false);
            SetPids(rec, SubDevicePids);
            if (node == 4) {
                // A long list: its further entries are manufacturer PIDs that no view looks up.
                for (size_t i = 15; i < 99; ++i)
                    rec.supportedPids[i] = static_cast<uint16_t>(0x8100 + i);
                rec.supportedPidCount = 99;
            }
            break;
        }
        case 7:
        case 8: {
            const bool multi = node == 8;
            rec.nodeKind = NodeKindDevice;
            rec.uid = DemoManufacturer | (multi ? 0x05D945F1 : 0x05CA03B7);
            rec.DeviceKind = multi ? 10 : 7;
            rec.deviceModelId = multi ? 98 : 97;
            rec.softwareVersionId = multi ? 0x00620310 : 0x00610310;
            rec.softwareVersionLabel = multi ? QStringLiteral("v.3.16 (98)") : QStringLiteral("v.3.16 (97)");
            rec.bootSoftwareVersionLabel =
                multi ? QStringLiteral("v.5.00 (98)") : QStringLiteral("v.5.00 (97)");
            rec.modelDescription =
                multi ? QStringLiteral("VINTARO RGBAW MULTI 3G") : QStringLiteral("KELVAR RGB MULTI 3G");
            if (!multi) rec.deviceLabel = QStringLiteral("KELVAR 3G");
            if (multi)
                SetPersonalities(rec, 1,
                                 {{5, "Dimmer mode. CHs:RGBAW"},
                                  {5, "Single mode w/ DMX pri. CHs:RGBA"},
                                  {0, "Single mode"},
                                  {5, "Master mode w/ DMX pri. CHs:RGBA"},
                                  {5, "Manual mode w/ DMX pri. CHs:RGBA"},
                                  {0, "Manual mode"}});
            else
                SetPersonalities(rec, 1, Rgb2GPersonalities);
            rec.dmxStartAddress = multi ? 111 : 10;
            rec.identifyMode = 255;
            rec.deviceHours = multi ? 102 : 35;
            rec.devicePowerCycles = multi ? 34 : 311;
            SetSensors(
                rec, {{0x00, 1, 0, 120, 0, 80, 3, "Dimmer internal temperature"},
                      {0x01, 2, 0, 26, static_cast<int16_t>(multi ? 5 : 12), 24, 3, "Driver source voltage"},
                      {0x03, 8, 80, 1200, 80, 1200, 0, "PWM driver frequency"},
                      {0x85, 0, 0, 5, 0, 2, 0, "Driver type (0-CA 1-CC 2-CCU)"}});
            SetRgbSlots(rec, multi);
            SetPids(rec, Multi3GPids);
            break;
        }
        default:
            break;
        }
        switch (node) {
        case 0:
            item->setText(0, rec.manufacturerLabel);
            break;
        case 4:
        case 5:
        case 6:
            item->setText(0, "subdevice - " + QString::number(node - 3));
            break;
        case 7:
            item->setText(0, rec.deviceLabel);
            break;
        default:
            item->setText(0, rec.modelDescription);
            break;
        }
    }
}
