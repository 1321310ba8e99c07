// HID report descriptors come from whatever device is plugged in: the parser
// must read any byte string safely and give a bounded length.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz_target.h"
#include "link/hid/ReportDescriptor.h"

namespace {
bool accepted = false;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ReportDescriptorInfo info = ParseReportDescriptor(data, size);
    if (info.inputReportLength < 0 || info.inputReportLength > (1 << 20)) std::abort();
    accepted = info.inputReportLength > 0;
    return 0;
}

bool FuzzInputAccepted() {
    return accepted;
}
