#pragma once

#include <cstdint>

// Which handler takes an input report other than a credit request, chosen by
// the interface type and then by the link mode.
enum class LinkHandler : uint8_t {
    None,              // dropped
    Discovery,         // HandleDiscoveryReport
    BlockAck,          // HandleBlockAck
    MonitorStream,     // HandleMonitorStream
    Rdm,               // HandleRdmReport
    InterfaceConfig,   // HandleInterfaceConfig
    InterfaceConfigRf, // HandleInterfaceConfig, then the RF follow-up
    FirmwareChunk,     // SendFirmwareChunk
    ReceivedDmx,       // ShowReceivedDmx
    RfConfig,          // HandleRfConfigAnswer
};

// clang-format off
constexpr LinkHandler LinkHandlerFor(uint8_t interfaceType, uint16_t linkMode) {
    switch (interfaceType) {
    case 0:
        switch (linkMode) {
        case 1: return LinkHandler::Discovery;
        case 2: return LinkHandler::BlockAck;
        case 3: return LinkHandler::MonitorStream;
        case 4: return LinkHandler::Rdm;
        default: return LinkHandler::None;
        }
    case 7: case 8: case 9: case 10:
        switch (linkMode) {
        case 1: return LinkHandler::Discovery;
        case 2: return LinkHandler::BlockAck;
        case 3: return LinkHandler::MonitorStream;
        case 4: return LinkHandler::Rdm;
        case 5: return LinkHandler::InterfaceConfig;
        case 6: return LinkHandler::FirmwareChunk;
        default: return LinkHandler::None;
        }
    case 1: case 2: case 13:
        switch (linkMode) {
        case 3: return LinkHandler::ReceivedDmx;
        case 5: return LinkHandler::InterfaceConfig;
        case 6: return LinkHandler::FirmwareChunk;
        default: return LinkHandler::None;
        }
    case 5: case 6:
        switch (linkMode) {
        case 5: return LinkHandler::InterfaceConfigRf;
        case 6: return LinkHandler::FirmwareChunk;
        case 7: return LinkHandler::RfConfig;
        default: return LinkHandler::None;
        }
    default:
        return LinkHandler::None;
    }
}
// clang-format on
