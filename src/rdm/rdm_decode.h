#pragma once

#include <cstdint>

struct tRdmDevice;
struct tRdmMessage;

// Stores the parameter data of a GET answer into a device record by the
// answer's PID; an answer whose PID has no decoder changes nothing. The
// command class is not looked at. A NACK changes nothing either, except that
// a sensor list still gets its end marker; a sensor definition is stored only
// when acknowledged. Returns whether the answer's value was stored.
//
// sensorDefIndex is the next free entry of the sensor table (advanced by an
// acknowledged SENSOR_DEFINITION); askedSensor is the sensor number that was
// asked. Nothing is written outside the record's tables: a personality 0, a
// slot above 45 or a sensor beyond the 255th are ignored.
bool DecodeIntoRecord(tRdmDevice& rec, const tRdmMessage& msg, uint8_t& sensorDefIndex, uint16_t askedSensor);

// An answer to DEVICE_INFO that is acknowledged and carries all of its 19
// bytes: the only kind that tells what the device holds (an ACK_TIMER's two
// bytes or a cut-short answer do not).
bool WholeDeviceInfo(const tRdmMessage& msg);
