// HID report descriptors come from whatever device is plugged in: the parser
// must read any byte string safely and give a bounded length.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "link/hid/ReportDescriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ReportDescriptorInfo info = ParseReportDescriptor(data, size);
    if (info.inputReportLength < 0 || info.inputReportLength > (1 << 20)) std::abort();
    return 0;
}
