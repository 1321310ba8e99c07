#pragma once

#include <array>
#include <cstdint>

// State that the main window's frame reads or resets but that the interface
// link, the received-DMX monitor, the stream sender and the channel map write.
// It lives in one object held by the main window, so a test can build a fresh
// program and the status bar, the about box and the DMX watchdog all see the
// same values.
struct tLineState {
    // Interface contact (USB): set on arrival, cleared on removal.
    uint8_t HidConnected = 0;
    // The connected USB interface's type: a row of InterfaceTypeTable.
    uint8_t InterfaceType = 0;
    // Network interface contact and its row of NetworkInterfaceTypeTable.
    uint8_t NetworkConnected = 0;
    int NetworkInterfaceRow = 0;

    // Received-DMX monitor: a signal is on the input; the sender's kind is
    // known; frames counted while detecting it; frames that carried the
    // controller's signature.
    uint8_t InputSignalFlag = 0;
    uint8_t ReceiverKindKnown = 0;
    uint32_t DetectFrameCount = 0;
    uint32_t LedDriverHits = 0;
    // A stream or firmware is being sent.
    uint8_t TransmitFlag = 0;

    // Last received DMX frame: start code, 512 slots and one spare byte.
    std::array<uint8_t, 514> DmxFrame{};

    // The interface's own software, from its configuration answer:
    // boot [0] application present, [1] major, [2] minor, [3..5] date as
    // year-2000, month, day; application [0] major, [1] minor, [2..4] date,
    // [5] hardware version, [6..8] hardware date.
    std::array<uint8_t, 6> InterfaceBootInfo{};
    std::array<uint8_t, 9> InterfaceAppInfo{};
};

// One DMX channel of the allocation grid: its colour (0x00BBGGRR) and the
// occupying node's index + 1 (0 when free).
struct tDmxChannel {
    uint32_t colour = 0xFFFFFF;
    uint16_t device = 0;
};

inline constexpr uint32_t DmxChannelFree = 0xFFFFFF;
