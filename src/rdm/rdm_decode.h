#pragma once

#include <cstdint>

struct tRdmDevice;
struct tRdmMessage;

// Stores the parameter data of a GET answer into a device record by the
// answer's PID; an answer whose PID has no decoder changes nothing. The
// command class is not looked at. A value is stored from an ACK whose data
// holds all of it (a fixed length, a text of any length); a list from an ACK
// or an ACK_OVERFLOW piece, as the whole entries it holds (a stray byte after
// them is not read). Nothing is read beyond the answer's data. Any other
// answer (NACK, ACK_TIMER, an ACK_OVERFLOW of a value, a short ACK, a list
// answer of a part of one entry, an empty ACK_OVERFLOW) leaves the record as
// it was: a sensor definition an earlier reading gave stays in its entry, and
// otherwise the sensor list gets its end marker. Returns whether the answer's
// value was stored.
//
// sensorDefIndex is the next free entry of the sensor table (advanced by a
// stored SENSOR_DEFINITION, or past an earlier definition of the sensor
// asked); askedSensor is the sensor number that was asked. Nothing is written
// outside the record's tables: a personality 0, a slot above 45 or a sensor
// beyond the 255th are ignored.
bool DecodeIntoRecord(tRdmDevice& rec, const tRdmMessage& msg, uint8_t& sensorDefIndex, uint16_t askedSensor);

// An answer to DEVICE_INFO that is acknowledged and carries all of its 19
// bytes: the only kind that tells what the device holds (an ACK_TIMER's two
// bytes or a cut-short answer do not).
bool WholeDeviceInfo(const tRdmMessage& msg);
