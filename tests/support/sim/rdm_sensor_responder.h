#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "support/sim/rdm_responder.h"

// What a simulated responder does with a SET of a standard parameter.
enum class SimSetMode {
    Take,     // stores the value and acknowledges
    KeepAck,  // keeps its old value but acknowledges
    KeepNack, // keeps its old value and answers NACK_REASON (WRITE_PROTECT)
    Silent,   // keeps its old value and does not answer
};

// What a simulated responder answers to a GET of a standard parameter.
enum class SimReadBack {
    Value,    // ACK with the value it holds
    Nack,     // NACK_REASON (HARDWARE_FAULT)
    AckTimer, // ACK_TIMER: the value would come later
    Short,    // ACK with the value's last byte missing
};

// One sensor of a simulated responder: its definition and its values.
struct SimSensor {
    uint8_t type = 0;
    uint8_t unit = 0;
    uint8_t prefix = 0;
    int16_t rangeMin = -32768, rangeMax = 32767, normalMin = -32768, normalMax = 32767;
    uint8_t recordedSupport = 3; // bit 0 recorded value, bit 1 lowest/highest
    std::string description;
    int16_t present = 0, lowest = 0, highest = 0, recorded = 0;

    void Measure(int16_t value); // a new present value, tracked by lowest and highest
};

// Gives a simulated responder sensors (SENSOR_DEFINITION, SENSOR_VALUE GET and
// SET, RECORD_SENSORS), FACTORY_DEFAULTS, RESET_DEVICE and a per-parameter
// choice of what a SET of a standard parameter does. Installs itself as the
// responder's extension; it must outlive the responder's use.
class SimDeviceBehaviour {
public:
    explicit SimDeviceBehaviour(SimRdmResponder& responder);

    SimRdmResponder& responder;
    std::vector<SimSensor> sensors;
    std::map<uint16_t, SimSetMode> setModes;   // by PID; Take when not listed
    std::map<uint16_t, SimReadBack> readBacks; // by PID; Value when not listed

    // FACTORY_DEFAULTS: the values a SET restores, and what a GET reads (by
    // default 1 after a SET until another parameter is changed, 0 otherwise).
    std::map<uint16_t, std::vector<uint8_t>> factoryValues;
    bool atFactoryDefaults = false;
    std::optional<uint8_t> factoryDefaultsReadBack;

    // RESET_DEVICE requests received, by their data byte (0x01 warm, 0xFF cold).
    std::vector<uint8_t> resets;
    // SENSOR_VALUE SETs and RECORD_SENSORS received, by sensor number.
    std::vector<uint8_t> sensorResets, sensorRecords;

    // Writes the sensor definitions and the sensor count of DEVICE_INFO into
    // the responder's values; call after changing `sensors`.
    void PublishSensors();

    // The PIDs whose SET the program sends from the parameter page.
    static bool IsStandardSetPid(uint16_t pid);

private:
    std::optional<SimRdmResponder::Reply> Handle(uint8_t cc, uint16_t pid, const std::vector<uint8_t>& data);
    std::vector<uint8_t> ValueBytes(uint8_t number) const;
};
