#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <utility>
#include <vector>

// A simulated RDM responder on the DMX line. It holds its own parameter
// values and answers GET and SET of them as an E1.20 device would: ACK with
// the value, NACK_REASON for what it does not know or will not change.
// Tests make it misbehave on purpose (silent, garbled, late, refusing).
class SimRdmResponder {
public:
    explicit SimRdmResponder(uint64_t uid, uint16_t subDevice = 0) : uid(uid), subDevice(subDevice) {}
    // Tests own the special responders through pointers to this class.
    virtual ~SimRdmResponder() = default;
    SimRdmResponder(const SimRdmResponder&) = default;
    SimRdmResponder& operator=(const SimRdmResponder&) = default;
    SimRdmResponder(SimRdmResponder&&) = default;
    SimRdmResponder& operator=(SimRdmResponder&&) = default;

    uint64_t uid;
    uint16_t subDevice;

    // GET value of a PID asked without parameter data.
    std::map<uint16_t, std::vector<uint8_t>> values;
    // GET value of a PID asked with parameter data (sensor, personality and slot numbers).
    std::map<std::pair<uint16_t, std::vector<uint8_t>>, std::vector<uint8_t>> indexedValues;
    // PIDs whose SET stores the request's data as the new GET value.
    std::set<uint16_t> settable;
    // PIDs whose GET it acknowledges with ACK_OVERFLOW: the stored value is
    // the first piece of a list longer than one answer can carry.
    std::set<uint16_t> overflowGets;

    // Parameters that behave beyond a stored value (sensor values, factory
    // defaults, reset, SETs a test makes the device keep or ignore) are asked
    // here first; nullopt leaves the request to the stored values.
    struct Reply {
        uint8_t responseType = 0;
        std::vector<uint8_t> data;
        bool silent = false;
        // The answer frame is cut to this many bytes (a runt), when shorter.
        size_t cutTo = SIZE_MAX;
    };
    std::function<std::optional<Reply>(SimRdmResponder&, uint8_t commandClass, uint16_t pid,
                                       std::span<const uint8_t> data)>
        extension;

    // Misbehaviour.
    bool silent = false;       // never answers
    bool garbled = false;      // answers with a byte of the data flipped (checksum no longer matches)
    bool late = false;         // each answer comes only after the next request
    bool refuseSets = false;   // acknowledges SETs but keeps its values
    bool nackEverything = false;  // answers every request with NACK_REASON

    // The answer to a request frame (from the START code on), without the
    // START code as the interface delivers it; nullopt when it stays silent.
    std::optional<std::vector<uint8_t>> Answer(std::span<const uint8_t> request);

    // Requests it received, each from the START code on.
    std::vector<std::vector<uint8_t>> received;

    // Convenience setters for the standard parameters.
    void SetDeviceInfo(uint16_t model, uint16_t category, uint8_t personality, uint8_t personalityCount,
                       uint16_t dmxAddress, uint16_t subDeviceCount, uint8_t sensorCount, uint16_t footprint = 1);
    void SetText(uint16_t pid, const char* text);
    void SetSupported(std::initializer_list<uint16_t> pids);
};

// Builds an answer frame from the sub-start code on, with a correct checksum
// (the START code counts in it though it is not delivered).
std::vector<uint8_t> BuildRdmAnswerFrame(uint64_t destination, uint64_t source, uint8_t transaction,
                                         uint8_t responseType, uint16_t subDevice, uint8_t commandClass,
                                         uint16_t pid, std::span<const uint8_t> data);
