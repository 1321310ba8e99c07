// The Linux HID platform without hardware: the descriptor parser on real
// report descriptors, a scan of this machine, and other nodes standing in for
// an interface's hidraw node.
#include <QElapsedTimer>
#include <QLabel>
#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "link/LinkTypes.h"
#include "link/hid/JvHidControllerClass.h"
#include "link/hid/LinuxHidPlatform.h"
#include "link/hid/ReportDescriptor.h"
#include "support/log_access.h"
#include "support/program_fixture.h"
#include "ui_RdmPage.h"

namespace {

ReportDescriptorInfo Parse(const std::vector<uint8_t>& d) {
    return ParseReportDescriptor(d.data(), d.size());
}

// clang-format off
// A vendor-defined device with 64-byte input and output reports, no report
// ids: the kind of descriptor the interface box has.
const std::vector<uint8_t> vendorDescriptor = {
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01,        // Vendor page 0xFF00, usage 1, application
    0x19, 0x01, 0x29, 0x40, 0x15, 0x00, 0x26, 0xFF, 0x00,
    0x75, 0x08, 0x95, 0x40, 0x81, 0x00,              // 64 x 8 bit input
    0x19, 0x01, 0x29, 0x40, 0x91, 0x00,              // output
    0xC0,
};

// clang-format on

// A character node that this process cannot open for reading and writing: a
// random number source (its driver allows reading only), the controlling
// terminal of a process that has none, or for a user who is not root the
// kernel log. Empty when there is none.
QString NodeWithoutReadWriteAccess() {
    for (const char* node : {"/dev/hwrng", "/dev/tty", "/dev/kmsg"}) {
        struct stat st {};
        if (::stat(node, &st) != 0 || !S_ISCHR(st.st_mode)) continue;
        const int fd = ::open(node, O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) return QString::fromLatin1(node);
        ::close(fd);
    }
    return {};
}

// This machine's platform with one HID interface: a node standing in for the
// interface box's hidraw node. Only the list and the ids (which a node that is
// not HID cannot give) are made up; the node is opened by the platform itself.
class OneNodePlatform : public LinuxHidPlatform {
public:
    explicit OneNodePlatform(QString path) : node(std::move(path)) {}
    std::vector<HidInterfaceInfo> ListInterfaces() override { return {{QStringLiteral("usb-box"), node}}; }
    bool GetAttributes(HidHandle& /*handle*/, HidAttributes& attributes) override {
        attributes = {MakerVendorId, MakerProductIdA, 0x0701};
        return true;
    }

private:
    QString node;
};

} // namespace

TEST(ReportDescriptor, InputReportLengthFromRealDescriptors) {
    ReportDescriptorInfo v = Parse(vendorDescriptor);
    EXPECT_EQ(v.inputReportLength, 65); // 64 data bytes and the report id
    EXPECT_FALSE(v.numberedReports);
    // A long item (no report meaning) is stepped over whole.
    std::vector<uint8_t> withLong{0xFE, 0x02, 0x10, 0x85, 0x01}; // its data would read as a report id
    withLong.insert(withLong.end(), vendorDescriptor.begin(), vendorDescriptor.end());
    EXPECT_EQ(Parse(withLong).inputReportLength, 65);
    EXPECT_FALSE(Parse(withLong).numberedReports);
}

TEST(ReportDescriptor, TruncatedOrGarbledInputIsReadSafely) {
    // Cut at every length: never reads past the end, never more than the whole.
    for (size_t cut = 0; cut <= vendorDescriptor.size(); ++cut)
        EXPECT_LE(ParseReportDescriptor(vendorDescriptor.data(), cut).inputReportLength, 65) << cut;
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

// Character devices and files that are not HID nodes stand in for one: they
// drive every path of the handle that needs no ioctl answer.
TEST(LinuxHidPlatform, HandleOnNodesThatAreNotHid) {
    LinuxHidPlatform platform;
    for (const HidInterfaceInfo& i : platform.ListInterfaces())
        EXPECT_TRUE(i.path.startsWith(QStringLiteral("/dev/hidraw"))) << i.path.toStdString();
    // Named only: a character node is accepted, a plain file is not.
    EXPECT_NE(platform.Open(QStringLiteral("/dev/null"), false), nullptr);
    EXPECT_EQ(platform.Open(QStringLiteral("/proc/self/status"), false), nullptr);

    auto null = platform.Open(QStringLiteral("/dev/null"), true);
    ASSERT_NE(null, nullptr);
    HidAttributes attributes{};
    EXPECT_FALSE(platform.GetAttributes(*null, attributes)); // no HID ids behind it
    uint8_t buffer[65] = {};
    HidReadResult r = platform.Read(*null, buffer, 65, 0); // end of file: an empty report
    EXPECT_EQ(r.status, HidReadResult::Completed);
    EXPECT_EQ(r.bytes, 0);
    EXPECT_EQ(platform.Read(*null, buffer, 1, 0).status, HidReadResult::Failed);
    EXPECT_TRUE(platform.Write(*null, buffer, 65));
    EXPECT_FALSE(platform.Write(*null, nullptr, 65));

    // Reading address 0 of the own memory fails: a read error is a failure.
    auto mem = platform.Open(QStringLiteral("/proc/self/mem"), true);
    ASSERT_NE(mem, nullptr);
    r = platform.Read(*mem, buffer, 65, 0);
    EXPECT_EQ(r.status, HidReadResult::Failed);
    EXPECT_EQ(r.error, uint32_t(EIO));
}

using LinuxHidProgram = ProgramFixture;

TEST_F(LinuxHidProgram, InterfaceNodeWithoutReadWriteAccessIsNamedInTheLog) {
    const QString node = NodeWithoutReadWriteAccess();
    if (node.isEmpty()) GTEST_SKIP() << "no character node here that refuses reading and writing";
    WriteSettings(EnglishSettings(0));
    ProgramOptions options;
    options.appDir = dir.path() + QLatin1Char('/');
    options.hidPlatform = std::make_shared<OneNodePlatform>(node);
    program = std::make_unique<Program>(options);
    dm = program->DM.get();
    w = program->frmMain.get();
    w->show();
    QElapsedTimer clock;
    clock.start();
    while (dm->JvHidDC->Devices().empty() && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);

    // The controller knows the interface, without access, under its node.
    ASSERT_EQ(dm->JvHidDC->Devices().size(), 1u);
    const TJvHidDevice* dev = dm->JvHidDC->Devices()[0];
    EXPECT_FALSE(dev->ReadWriteAccess);
    EXPECT_EQ(dev->PnPInfo().DevicePath, node);
    // The program does not take it, and says why.
    EXPECT_FALSE(dm->HidConnected);
    EXPECT_EQ(dm->HidDev, nullptr);
    EXPECT_EQ(w->statusPanel(2)->text(), QStringLiteral("USB Interface: No contact"));
    EXPECT_FALSE(w->rdmUi->btnDiscovery->isEnabled());
    const QStringList lines = DeviceLogLines(w).filter(node);
    ASSERT_EQ(lines.size(), 1) << DeviceLogText(w).toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("udev"))) << lines[0].toStdString();
}
