#pragma once

#include <cstddef>
#include <cstdint>

// What the layer needs from a HID report descriptor.
struct ReportDescriptorInfo {
    // Longest input report in bytes, with its report id byte (which hidraw
    // leaves out for a device without numbered reports); 0 without inputs.
    int inputReportLength = 0;
    // The device numbers its reports (a Report ID item is present).
    bool numberedReports = false;
};

// Walks the short items of a descriptor and adds up the input bits of each
// report. Malformed input (items cut short, absurd sizes) gives what could be
// read so far; nothing is read past the end.
ReportDescriptorInfo ParseReportDescriptor(const uint8_t* data, size_t size);
