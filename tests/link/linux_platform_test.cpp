// The Linux HID platform without hardware: the descriptor parser on real
// report descriptors, and a scan of this machine.
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "link/LinkTypes.h"
#include "link/hid/JvHidControllerClass.h"
#include "link/hid/LinuxHidPlatform.h"
#include "link/hid/ReportDescriptor.h"

namespace {

ReportDescriptorInfo Parse(const std::vector<uint8_t>& d) {
    return ParseReportDescriptor(d.data(), d.size());
}

// clang-format off
// A vendor-defined device with 64-byte input and output reports, no report
// ids: the kind of descriptor the interface box has.
const std::vector<uint8_t> vendorDescriptor = {
    0x06, 0x00, 0xFF,  // Usage Page (Vendor Defined 0xFF00)
    0x09, 0x01,        // Usage (1)
    0xA1, 0x01,        // Collection (Application)
    0x19, 0x01,        //   Usage Minimum (1)
    0x29, 0x40,        //   Usage Maximum (64)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x00,  //   Logical Maximum (255)
    0x75, 0x08,        //   Report Size (8)
    0x95, 0x40,        //   Report Count (64)
    0x81, 0x00,        //   Input (Data, Array)
    0x19, 0x01,        //   Usage Minimum (1)
    0x29, 0x40,        //   Usage Maximum (64)
    0x91, 0x00,        //   Output (Data, Array)
    0xC0,              // End Collection
};

// A boot keyboard: modifier bits, a reserved byte, six key codes; LED output.
const std::vector<uint8_t> keyboardDescriptor = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01,              // Generic Desktop, Keyboard, Collection
    0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00,  // key codes E0..E7
    0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02,  // 8 x 1 bit input
    0x95, 0x01, 0x75, 0x08, 0x81, 0x01,              // 1 x 8 bit constant input
    0x95, 0x05, 0x75, 0x01, 0x05, 0x08, 0x19, 0x01,  // 5 LEDs
    0x29, 0x05, 0x91, 0x02,                          // output
    0x95, 0x01, 0x75, 0x03, 0x91, 0x01,              // output padding
    0x95, 0x06, 0x75, 0x08, 0x15, 0x00, 0x25, 0x65,  // 6 x 8 bit keys
    0x05, 0x07, 0x19, 0x00, 0x29, 0x65, 0x81, 0x00,  // input
    0xC0,
};

// A mouse and a consumer control under report ids 1 and 2.
const std::vector<uint8_t> numberedDescriptor = {
    0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x01,  // Mouse, Report ID 1
    0x05, 0x09, 0x19, 0x01, 0x29, 0x03, 0x15, 0x00, 0x25, 0x01,
    0x95, 0x03, 0x75, 0x01, 0x81, 0x02,  // 3 buttons
    0x95, 0x01, 0x75, 0x05, 0x81, 0x01,  // padding
    0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x15, 0x81, 0x25, 0x7F,
    0x75, 0x08, 0x95, 0x02, 0x81, 0x06,  // X, Y
    0xC0,
    0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x02,  // Consumer, Report ID 2
    0xA4,                                            // Push
    0x15, 0x00, 0x26, 0xFF, 0x03, 0x19, 0x00, 0x2A, 0xFF, 0x03,
    0x75, 0x10, 0x95, 0x04, 0x81, 0x00,  // 4 x 16 bit
    0xB4,                                // Pop
    0xC0,
};

}  // namespace// clang-format on


TEST(ReportDescriptor, InputReportLengthFromRealDescriptors) {
    ReportDescriptorInfo v = Parse(vendorDescriptor);
    EXPECT_EQ(v.inputReportLength, 65);  // 64 data bytes and the report id
    EXPECT_FALSE(v.numberedReports);

    ReportDescriptorInfo k = Parse(keyboardDescriptor);
    EXPECT_EQ(k.inputReportLength, 9);
    EXPECT_FALSE(k.numberedReports);

    // The longest of the numbered reports: 4 x 16 bits = 8 bytes, plus its id.
    ReportDescriptorInfo n = Parse(numberedDescriptor);
    EXPECT_EQ(n.inputReportLength, 9);
    EXPECT_TRUE(n.numberedReports);
}

TEST(ReportDescriptor, TruncatedOrGarbledInputIsReadSafely) {
    // Cut at every length: never reads past the end, never more than the whole.
    for (size_t cut = 0; cut <= vendorDescriptor.size(); ++cut) {
        ReportDescriptorInfo info = ParseReportDescriptor(vendorDescriptor.data(), cut);
        EXPECT_LE(info.inputReportLength, 65) << cut;
    }
    EXPECT_EQ(ParseReportDescriptor(nullptr, 10).inputReportLength, 0);
    // A long item whose length runs past the end, and a 4-byte item cut short.
    EXPECT_EQ(Parse({0xFE, 0xFF, 0x00, 0x01}).inputReportLength, 0);
    EXPECT_EQ(Parse({0x75, 0x08, 0x97, 0x01, 0x02}).inputReportLength, 0);
    // Absurd sizes give a bounded length instead of an overflow.
    ReportDescriptorInfo h = Parse({0x77, 0xFF, 0xFF, 0xFF, 0xFF, 0x97, 0xFF, 0xFF, 0xFF, 0xFF, 0x81, 0x00});
    EXPECT_GT(h.inputReportLength, 0);
    EXPECT_LE(h.inputReportLength, 1 << 20);
}

TEST(LinuxHidPlatform, ScanOfThisMachineFindsNoInterface) {
    auto platform = std::make_shared<LinuxHidPlatform>();
    TJvHidDeviceController dc(platform);
    int makerArrivals = 0;
    dc.OnArrival = [&](TJvHidDevice* d) {
        if (IsMakerInterface(d->Attributes.vendorId, d->Attributes.productId)) ++makerArrivals;
    };
    dc.DeviceChange();
    dc.DeviceChange();
    EXPECT_EQ(makerArrivals, 0);
    EXPECT_EQ(dc.CheckedOutCount, 0);
    // Every HID interface it did find is listed, none checked out.
    EXPECT_EQ(dc.CheckedInCount, int32_t(dc.Devices().size()));
    // Opening something that is not there fails cleanly.
    EXPECT_EQ(platform->Open(QStringLiteral("/dev/hidraw-does-not-exist"), true), nullptr);
    EXPECT_EQ(platform->Open(QStringLiteral("/dev/hidraw-does-not-exist"), false), nullptr);
    // The hot-plug monitor can be switched on and off.
    platform->SetChangeNotice([] {});
    platform->SetChangeNotice({});
}
