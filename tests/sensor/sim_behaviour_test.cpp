#include <gtest/gtest.h>

#include "rdm/rdm_frame.h"
#include "support/sim/rdm_sensor_responder.h"

namespace {

constexpr uint64_t Uid = 0x7FF300000005ull;

// One request through the responder; the parsed answer, or nothing when it is silent.
std::optional<tRdmMessage> Ask(SimRdmResponder& r, uint8_t cc, uint16_t pid, std::vector<uint8_t> data = {}) {
    std::array<uint8_t, RdmRequestMax> packet{};
    const int n = BuildRdmRequest(packet, 0, cc, Uid, pid, uint8_t(data.size()), data, 0x40, 7);
    auto answer = r.Answer(std::span<const uint8_t>(packet.data() + 3, size_t(n - 3)));
    if (!answer) return std::nullopt;
    tRdmMessage msg;
    EXPECT_EQ(ParseRdmMessage(*answer, msg), RdmParseResult::Ok);
    return msg;
}

int16_t Word(const tRdmMessage& m, int i) {
    return int16_t((m.data[i] << 8) | m.data[i + 1]);
}

} // namespace

TEST(SimDeviceBehaviour, SensorValuesResetAndRecord) {
    SimRdmResponder r(Uid);
    r.SetDeviceInfo(0x0042, 0x0101, 1, 1, 1, 0, 0);
    SimDeviceBehaviour dev(r);
    dev.sensors.resize(2);
    dev.sensors[0].description = "Temp";
    dev.sensors[0].rangeMin = -40;
    dev.sensors[0].Measure(20);
    dev.sensors[0].Measure(31);
    dev.sensors[1].Measure(-5);
    dev.PublishSensors();
    EXPECT_EQ(r.values[0x0060][18], 2);

    auto def = Ask(r, 0x20, 0x0200, {0});
    ASSERT_TRUE(def);
    EXPECT_EQ(def->pdl, 13 + 4);
    EXPECT_EQ(Word(*def, 4), -40);

    auto v = Ask(r, 0x20, 0x0201, {0});
    ASSERT_TRUE(v);
    EXPECT_EQ(v->responseType, 0);
    EXPECT_EQ(v->pdl, 9);
    EXPECT_EQ(Word(*v, 1), 31);
    EXPECT_EQ(Word(*v, 3), 0);
    EXPECT_EQ(Word(*v, 5), 31);

    EXPECT_EQ(Ask(r, 0x30, 0x0202, {0xFF})->responseType, 0);
    EXPECT_EQ(dev.sensors[1].recorded, -5);
    EXPECT_EQ(Ask(r, 0x30, 0x0201, {0})->responseType, 0);
    v = Ask(r, 0x20, 0x0201, {0});
    EXPECT_EQ(Word(*v, 3), 31);           // lowest back to the present value
    EXPECT_EQ(dev.sensors[1].lowest, -5); // the other sensor untouched
    EXPECT_EQ(dev.sensorResets, std::vector<uint8_t>{0});

    EXPECT_EQ(Ask(r, 0x20, 0x0201, {9})->responseType, 2); // no such sensor
}

TEST(SimDeviceBehaviour, SetModesFactoryDefaultsAndReset) {
    SimRdmResponder r(Uid);
    r.SetDeviceInfo(0x0042, 0x0101, 1, 2, 1, 0, 0);
    r.values[0x0403] = {0};
    SimDeviceBehaviour dev(r);

    EXPECT_EQ(Ask(r, 0x30, 0x00F0, {0, 100})->responseType, 0);
    EXPECT_EQ(r.values[0x00F0], (std::vector<uint8_t>{0, 100}));
    EXPECT_EQ(r.values[0x0060][15], 100);

    dev.setModes[0x00F0] = SimSetMode::KeepAck;
    EXPECT_EQ(Ask(r, 0x30, 0x00F0, {0, 7})->responseType, 0);
    EXPECT_EQ(r.values[0x00F0][1], 100);

    dev.setModes[0x0403] = SimSetMode::KeepNack;
    EXPECT_EQ(Ask(r, 0x30, 0x0403, {1})->responseType, 2);
    EXPECT_EQ(r.values[0x0403][0], 0);

    dev.setModes[0x0501] = SimSetMode::Silent;
    EXPECT_FALSE(Ask(r, 0x30, 0x0501, {9}));

    dev.factoryValues[0x00F0] = {0, 1};
    EXPECT_EQ(Ask(r, 0x20, 0x0090)->data[0], 0);
    EXPECT_EQ(Ask(r, 0x30, 0x0090)->responseType, 0);
    EXPECT_EQ(Ask(r, 0x20, 0x0090)->data[0], 1);
    EXPECT_EQ(r.values[0x00F0][1], 1);
    dev.factoryDefaultsReadBack = 5;
    EXPECT_EQ(Ask(r, 0x20, 0x0090)->data[0], 5);

    EXPECT_EQ(Ask(r, 0x30, 0x1001, {0x01})->responseType, 0);
    EXPECT_EQ(dev.resets, std::vector<uint8_t>{0x01});
}
