#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// Step times: minutes 0..30, seconds 0..59, hundredths 0..95 in steps of 5,
// held as a count of 50 ms units (at most 36000 = 30:00.00) and shown as
// "mm:ss.hh".

void NormalizeStepTime(uint8_t& minutes, uint8_t& seconds, uint8_t& hundredths);
QString StepTimeToText(uint8_t minutes, uint8_t seconds, uint8_t hundredths);
uint16_t StepTimeToUnits(uint8_t minutes, uint8_t seconds, uint8_t hundredths);
QString StepUnitsToText(uint16_t units);

// Reads "mm:ss.hh" (the separators are not looked at). Text that does not have
// digits in all three number positions gives nothing, so callers keep their value.
std::optional<uint16_t> TryParseStepTime(const QString& text);
// As TryParseStepTime, but unreadable text reads as 0 units.
uint16_t ParseStepTime(const QString& text);

// CRC-16 with polynomial 0x1021, initial value 0, no reflection (XMODEM).
uint16_t Crc16Update(uint16_t crc, uint8_t data);
// Computes the CRC over `count` bytes from logical index `start` and stores it
// low byte first right after them. `firstIndex` (0 or 1) maps logical indices
// onto the buffer, so a 1-based packet and a 0-based buffer are both served.
// Returns false, touching nothing, when the bytes or the CRC would not fit.
bool AppendCrc16(uint8_t* buffer, size_t bufferSize, int firstIndex, int start, int count);
