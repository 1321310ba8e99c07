#include <gtest/gtest.h>

#include "rdm/rdm_decode.h"
#include "rdm_test_support.h"

namespace {

tRdmMessage Answer(uint16_t pid, std::vector<uint8_t> data, uint8_t type = RdmAck) {
    tRdmMessage m;
    auto frame = BuildRdmAnswerFrame(0, 1, 0, type, 0, RdmGetCommandResponse, pid, data);
    EXPECT_EQ(ParseRdmMessage(frame, m), RdmParseResult::Ok);
    return m;
}

std::vector<uint8_t> Text(const std::string& s) {
    return std::vector<uint8_t>(s.begin(), s.end());
}

std::vector<uint8_t> Words(int count, int base) {
    std::vector<uint8_t> v;
    for (int i = 0; i < count; ++i) {
        v.push_back(uint8_t((base + i) >> 8));
        v.push_back(uint8_t(base + i));
    }
    return v;
}

// A tree of two manufacturer groups: group 0 with devices 1 and 2 (device 1
// with sub-device 3), group 4 with device 5.
struct Decode : ::testing::Test {
    FakeRdmLink link;
    RdmController ctl{link};
    void SetUp() override {
        link.AddNode(NodeKindGroup, 0x7FF300000001ull, 0, "7FF3");
        link.AddNode(NodeKindDevice, 0x7FF300000001ull, 0, "7FF3:00000001");
        link.AddNode(NodeKindDevice, 0x7FF300000002ull, 0, "7FF3:00000002");
        link.AddNode(NodeKindSubDevice, 0x7FF300000002ull, 1, "1. - Sub-device");
        link.AddNode(NodeKindGroup, 0x7FF100000009ull, 0, "7FF1");
        link.AddNode(NodeKindDevice, 0x7FF100000009ull, 0, "7FF1:00000009");
    }
    tRdmDevice& rec(int i) { return *link.records[size_t(i)]; }
};

} // namespace

TEST_F(Decode, CaptionsFollowModelDescriptionDeviceAndManufacturerLabels) {
    ctl.DecodeGetResponse(Answer(PID_DEVICE_MODEL_DESCRIPTION, Text("Wash 575")), 1);
    EXPECT_EQ(rec(1).modelDescription, "Wash 575");
    EXPECT_EQ(link.captions[1], "Wash 575");
    // A sub-device keeps its caption.
    ctl.DecodeGetResponse(Answer(PID_DEVICE_MODEL_DESCRIPTION, Text("Cell")), 3);
    EXPECT_EQ(rec(3).modelDescription, "Cell");
    EXPECT_EQ(link.captions[3], "1. - Sub-device");

    ctl.DecodeGetResponse(Answer(PID_DEVICE_LABEL, Text("Stage left")), 1);
    EXPECT_EQ(link.captions[1], "Stage left");
    ctl.DecodeGetResponse(Answer(PID_DEVICE_LABEL, {}), 1);
    EXPECT_EQ(rec(1).deviceLabel, "");
    EXPECT_EQ(link.captions[1], "Wash 575");

    // The first device of a group names the group; the second does not.
    ctl.DecodeGetResponse(Answer(PID_MANUFACTURER_LABEL, Text("Acme")), 1);
    ctl.DecodeGetResponse(Answer(PID_MANUFACTURER_LABEL, Text("Other")), 2);
    EXPECT_EQ(link.captions[0], "Acme");
    ctl.DecodeGetResponse(Answer(PID_MANUFACTURER_LABEL, Text("Second")), 5);
    EXPECT_EQ(link.captions[4], "Second");

    ctl.DecodeGetResponse(Answer(PID_DEVICE_LABEL, Text(std::string(40, 'x'))), 2);
    EXPECT_EQ(rec(2).deviceLabel, QString(32, 'x'));
    // A node that does not exist changes nothing.
    ctl.DecodeGetResponse(Answer(PID_DEVICE_LABEL, Text("x")), 99);
}

TEST_F(Decode, DeviceInfoAndNumericParameters) {
    tRdmDevice& d = rec(1);
    ctl.DecodeGetResponse(Answer(PID_DEVICE_INFO, {0x01, 0x00, 0x00, 0x62, 0x01, 0x01, 0xDE, 0xAD, 0xBE, 0xEF,
                                                   0x00, 0x07, 0x02, 0x05, 0x01, 0xC8, 0x00, 0x03, 0x04}),
                          1);
    EXPECT_EQ(d.deviceModelId, 0x0062);
    EXPECT_EQ(d.softwareVersionId, 0xDEADBEEFu);
    EXPECT_EQ(d.currentPersonality, 2);
    EXPECT_EQ(d.personalityCount, 5);
    EXPECT_EQ(d.dmxStartAddress, 456);
    EXPECT_EQ(d.subDeviceCount, 3);
    EXPECT_EQ(d.sensorCount, 4);

    const std::pair<uint16_t, uint32_t tRdmDevice::*> longs[] = {
        {PID_DEVICE_HOURS, &tRdmDevice::deviceHours},
        {PID_LAMP_STRIKES, &tRdmDevice::lampStrikes},
        {PID_BOOT_SOFTWARE_VERSION_ID, &tRdmDevice::bootSoftwareVersionId}};
    for (const auto& [pid, field] : longs) {
        ctl.DecodeGetResponse(Answer(pid, {0x00, 0x01, 0x86, 0xA0}), 1);
        EXPECT_EQ(d.*field, 100000u) << pid;
    }
    const std::pair<uint16_t, uint8_t tRdmDevice::*> bytes[] = {
        {PID_LAMP_STATE, &tRdmDevice::lampState},
        {PID_DISPLAY_LEVEL, &tRdmDevice::displayLevel},
        {PID_PAN_TILT_SWAP, &tRdmDevice::panTiltSwap},
        {PID_PAN_INVERT, &tRdmDevice::panInvert},
        {PID_IDENTIFY_MODE, &tRdmDevice::identifyMode}};
    uint8_t v = 1;
    for (const auto& [pid, field] : bytes) {
        ctl.DecodeGetResponse(Answer(pid, {v}), 1);
        EXPECT_EQ(d.*field, v++) << pid;
    }
    ctl.DecodeGetResponse(Answer(PID_DMX_START_ADDRESS, {0x01, 0x00}), 1);
    EXPECT_EQ(d.dmxStartAddress, 256);
    ctl.DecodeGetResponse(Answer(PID_LANGUAGE, {'d', 'e'}), 1);
    EXPECT_EQ(d.currentLanguage, 0x6465);
    ctl.DecodeGetResponse(Answer(PID_LANGUAGE_CAPABILITIES, {'e', 'n', 'd', 'e'}), 1);
    EXPECT_EQ(d.languageCount, 2);
    EXPECT_EQ(d.languageCodes[1], 0x6465);
    // A stray byte after the whole codes is no code.
    ctl.DecodeGetResponse(Answer(PID_LANGUAGE_CAPABILITIES, {'f', 'r', 'h'}), 1);
    EXPECT_EQ(d.languageCount, 1);
    EXPECT_EQ(d.languageCodes[0], 0x6672);
}

TEST_F(Decode, ListsAreCutToTheirTablesAndTheCountTracksTheLastAnswer) {
    tRdmDevice& d = rec(1);
    ctl.DecodeGetResponse(Answer(PID_SUPPORTED_PARAMETERS, Words(10, 0x0080)), 1);
    EXPECT_EQ(d.supportedPidCount, 10);
    ctl.DecodeGetResponse(Answer(PID_SUPPORTED_PARAMETERS, Words(3, 0x0400)), 1);
    EXPECT_EQ(d.supportedPidCount, 3);
    EXPECT_EQ(d.supportedPids[2], 0x0402);
    // An answer without data lists nothing.
    ctl.DecodeGetResponse(Answer(PID_SUPPORTED_PARAMETERS, {}), 1);
    EXPECT_EQ(d.supportedPidCount, 0);

    ctl.DecodeGetResponse(Answer(PID_PRODUCT_DETAIL_ID_LIST, Words(8, 0x0100)), 1);
    EXPECT_EQ(d.productDetailCount, 6);
    EXPECT_EQ(d.productDetailIds[5], 0x0105);

    // 50 slots need 250 data bytes, more than an answer can carry: such an
    // answer is dropped by the parser; the decoder itself still keeps 46.
    tRdmMessage slotMsg;
    slotMsg.pid = PID_SLOT_INFO;
    slotMsg.pdl = 250;
    for (int i = 0; i < 46; ++i) {
        const uint8_t e[5] = {0, uint8_t(i), uint8_t(i == 0 ? 0 : 1), 0x02, 0x05};
        std::copy(e, e + 5, slotMsg.data.begin() + 5 * i);
    }
    ctl.DecodeGetResponse(slotMsg, 1);
    EXPECT_EQ(d.slotCount, 46);
    EXPECT_EQ(d.slotInfo[45].type, 1);
    EXPECT_EQ(d.slotInfo[45].labelId, 0x0205);

    ctl.DecodeGetResponse(Answer(PID_SLOT_DESCRIPTION, {0x00, 0x2D, 'P', 'a', 'n'}), 1);
    EXPECT_EQ(d.slotInfo[45].description, "Pan");
    ctl.DecodeGetResponse(Answer(PID_SLOT_DESCRIPTION, {0x00, 0x2E, 'X'}), 1); // slot 46: no such entry

    ctl.DecodeGetResponse(
        Answer(PID_DMX_PERSONALITY_DESCRIPTION, {0x02, 0x00, 0x05, 'R', 'G', 'B', 'W', 'A'}), 1);
    EXPECT_EQ(d.personalities[2].footprint, 5);
    EXPECT_EQ(d.personalities[2].description, "RGBWA");
    ctl.DecodeGetResponse(Answer(PID_DMX_PERSONALITY_DESCRIPTION, {0x00, 0x00, 0x09, 'Z'}),
                          1); // personality 0
    EXPECT_EQ(d.personalities[0].footprint, 0);
    ctl.DecodeGetResponse(Answer(PID_DMX_PERSONALITY_DESCRIPTION, {0xFF, 0x00, 0x01}), 1);
    EXPECT_EQ(d.personalities[255].footprint, 1);
    EXPECT_EQ(d.personalities[255].description, "");
}

TEST_F(Decode, SensorDefinitionsKeepAnEndMarkerAndNackOnlyMovesIt) {
    tRdmDevice& d = rec(1);
    const std::vector<uint8_t> def{0,    0x01, 0x01, 0x00, 0xFF, 0xEC, 0x00, 0x64, 0x00,
                                   0x00, 0x00, 0x32, 0x01, 'T',  'e',  'm',  'p'};
    ctl.state.SensorDefIndex = 0;
    ctl.state.AskItemIndex = 0;
    ctl.DecodeGetResponse(Answer(PID_SENSOR_DEFINITION, def), 1);
    ASSERT_EQ(ctl.state.SensorDefIndex, 1);
    EXPECT_EQ(d.sensors[0].rangeMin, -20);
    EXPECT_EQ(d.sensors[0].normalMax, 50);
    EXPECT_EQ(d.sensors[0].recordedSupport, 1);
    EXPECT_EQ(d.sensors[0].description, "Temp");
    EXPECT_EQ(d.sensors[1].number, 255);

    ctl.state.AskItemIndex = 1;
    ctl.DecodeGetResponse(Answer(PID_SENSOR_DEFINITION, {0x00, 0x02}, RdmNackReason), 1);
    EXPECT_EQ(ctl.state.SensorDefIndex, 1);
    EXPECT_EQ(d.sensors[1].number, 255);

    ctl.state.AskItemIndex = 2;
    ctl.DecodeGetResponse(Answer(PID_SENSOR_DEFINITION, {2, 3}), 1); // short: no definition
    EXPECT_EQ(ctl.state.SensorDefIndex, 1);
    EXPECT_EQ(d.sensors[1].number, 255);
    ctl.DecodeGetResponse(Answer(PID_SENSOR_DEFINITION, std::vector<uint8_t>(def.begin(), def.begin() + 13)),
                          1);
    EXPECT_EQ(d.sensors[1].number, 2); // whole without a description
    EXPECT_EQ(d.sensors[1].description, "");
    EXPECT_EQ(d.sensors[2].number, 255);

    // With every entry defined there is no room for a 256th nor for the marker.
    ctl.state.SensorDefIndex = 254;
    ctl.DecodeGetResponse(Answer(PID_SENSOR_DEFINITION, def), 1);
    EXPECT_EQ(ctl.state.SensorDefIndex, 255);
    ctl.DecodeGetResponse(Answer(PID_SENSOR_DEFINITION, def), 1);
    EXPECT_EQ(ctl.state.SensorDefIndex, 255);
    EXPECT_EQ(d.sensors[254].description, "Temp");
    EXPECT_EQ(d.deviceHours, 0u); // the field after the table
}

namespace {

// What a device reported, one answer per row: the bytes of its value (0 for
// a text, which is whole at any length, and for a list, kept as the whole
// entries an answer holds) and, for a sensor definition, the sensor asked.
struct Reported {
    uint16_t pid;
    std::vector<uint8_t> data;
    size_t valueBytes;
    uint8_t sensor = 0;
};

std::vector<Reported> ReportedAnswers() {
    return {
        {PID_DEVICE_INFO,
         {0x01, 0x00, 0x00, 0x62, 0x01, 0x01, 0xDE, 0xAD, 0xBE, 0xEF, 0x00, 0x00, 0x01, 0x02, 0xFF, 0xFF,
          0x00, 0x03, 0x04},
         19},
        {PID_SUPPORTED_PARAMETERS, Words(3, 0x0080), 0},
        {PID_PRODUCT_DETAIL_ID_LIST, Words(2, 0x0100), 0},
        {PID_DEVICE_MODEL_DESCRIPTION, Text("Spot 700"), 0},
        {PID_MANUFACTURER_LABEL, Text("Acme"), 0},
        {PID_DEVICE_LABEL, Text("Truss 3"), 0},
        {PID_LANGUAGE_CAPABILITIES, Text("ende"), 0},
        {PID_LANGUAGE, Text("de"), 2},
        {PID_SOFTWARE_VERSION_LABEL, Text("v2.1"), 0},
        {PID_BOOT_SOFTWARE_VERSION_ID, {0, 0, 1, 2}, 4},
        {PID_BOOT_SOFTWARE_VERSION_LABEL, Text("boot 1"), 0},
        {PID_DMX_PERSONALITY_DESCRIPTION, {0x01, 0x00, 0x08, 'S', 'p', 'o', 't'}, 3},
        {PID_DMX_START_ADDRESS, {0xFF, 0xFF}, 2},
        {PID_SLOT_INFO, {0, 0, 0, 0x01, 0x01, 0, 1, 1, 0, 0}, 0},
        {PID_SLOT_DESCRIPTION, {0x00, 0x00, 'D', 'i', 'm'}, 2},
        {PID_SLOT_DESCRIPTION, {0x00, 0x06, 'G', 'o', 'b', 'o'}, 2},
        {PID_SLOT_DESCRIPTION, {0x00, 0x0B, 'Z', 'o', 'o', 'm'}, 2},
        {PID_SENSOR_DEFINITION,
         {0, 0x01, 0x01, 0x00, 0xFF, 0xEC, 0x00, 0x64, 0x00, 0x00, 0x00, 0x32, 0x01, 'T'},
         13,
         0},
        {PID_SENSOR_DEFINITION, {1, 0x05, 0x0B, 0x00, 0x00, 0x00, 0x0F, 0xA0, 0, 0, 0x0B, 0xB8, 0x00}, 13, 1},
        {PID_DEVICE_HOURS, {0, 0, 0, 9}, 4},
        {PID_LAMP_HOURS, {0, 0, 0, 8}, 4},
        {PID_LAMP_STRIKES, {0, 0, 0, 7}, 4},
        {PID_LAMP_STATE, {2}, 1},
        {PID_LAMP_ON_MODE, {3}, 1},
        {PID_DEVICE_POWER_CYCLES, {0, 0, 0, 6}, 4},
        {PID_DISPLAY_INVERT, {2}, 1},
        {PID_DISPLAY_LEVEL, {200}, 1},
        {PID_PAN_INVERT, {1}, 1},
        {PID_TILT_INVERT, {1}, 1},
        {PID_PAN_TILT_SWAP, {1}, 1},
        {PID_POWER_STATE, {2}, 1},
        {PID_IDENTIFY_DEVICE, {1}, 1},
        {PID_IDENTIFY_MODE, {0xFF}, 1},
    };
}

// The lists, by the bytes of one entry; 0 for any other parameter.
size_t EntryBytes(uint16_t pid) {
    switch (pid) {
    case PID_SUPPORTED_PARAMETERS:
    case PID_PRODUCT_DETAIL_ID_LIST:
    case PID_LANGUAGE_CAPABILITIES:
        return 2;
    case PID_SLOT_INFO:
        return 5;
    default:
        return 0;
    }
}

// The record as the reported answers leave it; a sensor definition is asked
// as a reading asks it, and stored at the entry of its number.
void Report(RdmController& ctl, const std::vector<Reported>& answers) {
    for (const Reported& r : answers) {
        ctl.state.SensorDefIndex = r.sensor;
        ctl.state.AskItemIndex = r.sensor;
        ctl.DecodeGetResponse(Answer(r.pid, r.data), 1);
    }
}

} // namespace

// A NACK carries a reason code where the value would be; whatever the reason,
// the record and the captions keep what the device reported before.
TEST_F(Decode, NackedGetsLeaveTheRecordAndTheCaptionsAsTheyWere) {
    const std::vector<Reported> reported = ReportedAnswers();
    Report(ctl, reported);
    const tRdmDevice before = rec(1);
    const QStringList captions = link.captions;
    ASSERT_EQ(before.dmxStartAddress, 0xFFFF);
    ASSERT_EQ(before.slotInfo[6].description, "Gobo");

    for (const Reported& r : reported) {
        for (uint16_t reason = 0x0000; reason <= 0x0013; ++reason) {
            ctl.state.SensorDefIndex = r.sensor;
            ctl.state.AskItemIndex = r.sensor;
            ctl.DecodeGetResponse(Answer(r.pid, {uint8_t(reason >> 8), uint8_t(reason)}, RdmNackReason), 1);
            ASSERT_TRUE(rec(1) == before) << "PID " << r.pid << ", reason " << reason;
            ASSERT_EQ(link.captions, captions) << "PID " << r.pid << ", reason " << reason;
        }
    }
}

// An ACK_TIMER's two bytes are a waiting time, an ACK_OVERFLOW's data a piece
// of the value, and an ACK one byte short of the value only a part of it:
// none says what the device holds, so the record and the captions keep what
// it reported before (a text is whole at any length). A list is kept from an
// ACK_OVERFLOW piece too, as its whole entries: a part of one entry is none.
TEST_F(Decode, AnswersWithoutTheWholeValueLeaveTheRecordAndTheCaptionsAsTheyWere) {
    const std::vector<Reported> reported = ReportedAnswers();
    Report(ctl, reported);
    const tRdmDevice before = rec(1);
    const QStringList captions = link.captions;
    ASSERT_EQ(before.lampHours, 8u);
    ASSERT_EQ(before.sensors[1].description, "");
    ASSERT_EQ(before.sensors[2].number, 255);

    for (const Reported& r : reported) {
        std::vector<uint8_t> other = r.data;
        for (uint8_t& b : other)
            b = uint8_t(b + 1);
        std::vector<std::pair<const char*, tRdmMessage>> answers = {
            {"ACK_TIMER", Answer(r.pid, {0x00, 0x0A}, RdmAckTimer)}};
        if (const size_t entry = EntryBytes(r.pid); entry > 0) {
            const std::vector<uint8_t> part(other.begin(), other.begin() + long(entry) - 1);
            answers.emplace_back("ACK of a part of an entry", Answer(r.pid, part));
            answers.emplace_back("ACK_OVERFLOW of a part of an entry", Answer(r.pid, part, RdmAckOverflow));
            answers.emplace_back("empty ACK_OVERFLOW", Answer(r.pid, {}, RdmAckOverflow));
        } else {
            answers.emplace_back("ACK_OVERFLOW", Answer(r.pid, other, RdmAckOverflow));
        }
        if (r.valueBytes > 0)
            answers.emplace_back("short ACK",
                                 Answer(r.pid, {other.begin(), other.begin() + long(r.valueBytes) - 1}));
        for (const auto& [kind, answer] : answers) {
            ctl.state.SensorDefIndex = r.sensor;
            ctl.state.AskItemIndex = r.sensor;
            ctl.DecodeGetResponse(answer, 1);
            ASSERT_TRUE(rec(1) == before) << "PID " << r.pid << ", " << kind;
            ASSERT_EQ(link.captions, captions) << "PID " << r.pid << ", " << kind;
        }
    }
}

namespace {

// A list of the record: its count and every entry of its table, each as the
// big-endian number its bytes make.
std::pair<int, std::vector<uint64_t>> ListIn(const tRdmDevice& d, uint16_t pid) {
    switch (pid) {
    case PID_SUPPORTED_PARAMETERS:
        return {d.supportedPidCount, {d.supportedPids.begin(), d.supportedPids.end()}};
    case PID_PRODUCT_DETAIL_ID_LIST:
        return {d.productDetailCount, {d.productDetailIds.begin(), d.productDetailIds.end()}};
    case PID_LANGUAGE_CAPABILITIES:
        return {d.languageCount, {d.languageCodes.begin(), d.languageCodes.end()}};
    default: {
        std::vector<uint64_t> table;
        for (const tRdmSlot& s : d.slotInfo)
            table.push_back(uint64_t(s.offset) << 24 | uint64_t(s.type) << 16 | s.labelId);
        return {d.slotCount, table};
    }
    }
}

} // namespace

// A list longer than one answer can carry comes in ACK_OVERFLOW pieces, the
// first of them whole entries; an answer of a malformed length has stray
// bytes after its whole entries. Either way the record keeps the whole
// entries, up to the size of its table, and nothing past them is read.
TEST_F(Decode, ListsKeepTheWholeEntriesOfAnAckOrOfAnAckOverflowPiece) {
    const struct {
        uint16_t pid;
        uint8_t type;
        size_t bytes;
        int kept;
    } rows[] = {
        {PID_SUPPORTED_PARAMETERS, RdmAckOverflow, 230, 115}, // more than 115 parameters
        {PID_SUPPORTED_PARAMETERS, RdmAckOverflow, 7, 3},
        {PID_SUPPORTED_PARAMETERS, RdmAck, 5, 2},
        {PID_PRODUCT_DETAIL_ID_LIST, RdmAckOverflow, 16, 6},
        {PID_PRODUCT_DETAIL_ID_LIST, RdmAck, 9, 4},
        {PID_LANGUAGE_CAPABILITIES, RdmAck, 7, 3},
        {PID_LANGUAGE_CAPABILITIES, RdmAckOverflow, 8, 4},
        {PID_SLOT_INFO, RdmAckOverflow, 230, 46}, // a fixture of 50 slots
        {PID_SLOT_INFO, RdmAckOverflow, 229, 45},
        {PID_SLOT_INFO, RdmAck, 14, 2},
        {PID_SLOT_INFO, RdmAck, 5, 1},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message()
                     << "PID " << r.pid << ", type " << int(r.type) << ", " << r.bytes << " bytes");
        std::vector<uint8_t> data(r.bytes);
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = uint8_t(i + 1);
        *link.records[2] = tRdmDevice{};
        ctl.DecodeGetResponse(Answer(r.pid, data, r.type), 2);

        const auto [count, entries] = ListIn(rec(2), r.pid);
        EXPECT_EQ(count, r.kept);
        // The whole entries, and after them (where the table goes on) nothing.
        std::vector<uint64_t> expected(std::min(size_t(r.kept) + 1, entries.size()), 0);
        const size_t entry = EntryBytes(r.pid);
        for (size_t i = 0; i < size_t(r.kept); ++i)
            for (size_t b = 0; b < entry; ++b)
                expected[i] = expected[i] << 8 | data[entry * i + b];
        EXPECT_EQ(std::vector<uint64_t>(entries.begin(), entries.begin() + long(expected.size())), expected);
    }
}

// A reading again rebuilds the sensor table from its first entry. A sensor
// whose definition does not come whole keeps the one the device gave before,
// in its place, and the reading goes on with the next; the end marker follows
// the last sensor the device has.
TEST_F(Decode, AReadingAgainKeepsTheSensorDefinitionsThatDoNotComeWhole) {
    tRdmDevice& d = rec(1);
    auto definition = [](uint8_t n, char name) {
        return std::vector<uint8_t>{n,    0x01, 0x01, 0x00, 0x00, 0x00, 0x00,
                                    0x64, 0,    0,    0,    0x32, 0x01, uint8_t(name)};
    };
    auto read = [&](std::vector<std::pair<uint8_t, tRdmMessage>> answers) {
        ctl.state.SensorDefIndex = 0;
        for (const auto& [n, answer] : answers) {
            ctl.state.AskItemIndex = n;
            ctl.DecodeGetResponse(answer, 1);
        }
    };
    d.sensorCount = 3;
    read({{0, Answer(PID_SENSOR_DEFINITION, definition(0, 'a'))},
          {1, Answer(PID_SENSOR_DEFINITION, definition(1, 'b'))},
          {2, Answer(PID_SENSOR_DEFINITION, definition(2, 'c'))}});
    ASSERT_EQ(d.sensors[3].number, 255);

    read({{0, Answer(PID_SENSOR_DEFINITION, definition(0, 'A'))},
          {1, Answer(PID_SENSOR_DEFINITION, {0x00, 0x0A}, RdmAckTimer)},
          {2, Answer(PID_SENSOR_DEFINITION, {2, 0x01, 0x01})}});
    EXPECT_EQ(ctl.state.SensorDefIndex, 3);
    const QString descriptions[] = {"A", "b", "c"};
    for (uint8_t i = 0; i < 3; ++i) {
        EXPECT_EQ(d.sensors[i].number, i);
        EXPECT_EQ(d.sensors[i].description, descriptions[i]);
    }
    EXPECT_EQ(d.sensors[3].number, 255);

    // The device has one sensor fewer now: the list ends after the second.
    d.sensorCount = 2;
    read({{0, Answer(PID_SENSOR_DEFINITION, definition(0, 'a'))},
          {1, Answer(PID_SENSOR_DEFINITION, {0x00, 0x0A}, RdmAckTimer)}});
    EXPECT_EQ(d.sensors[1].description, "b");
    EXPECT_EQ(d.sensors[2].number, 255);

    // A new record has no earlier definition to keep: the marker stands in
    // the first entry, and the next definition the device gives takes it.
    tRdmDevice& fresh = rec(2);
    fresh.sensorCount = 2;
    ctl.state.SensorDefIndex = 0;
    ctl.state.AskItemIndex = 0;
    ctl.DecodeGetResponse(Answer(PID_SENSOR_DEFINITION, {0x00, 0x0A}, RdmAckTimer), 2);
    EXPECT_EQ(ctl.state.SensorDefIndex, 0);
    EXPECT_EQ(fresh.sensors[0].number, 255);
}
