// Writes the seed files of the fuzz targets into <folder>/<target>/, each made
// by the program's own writers where it has one (the saved streams, the
// settings file, the RDM request) and by the simulators of the tests where
// the bytes come from a device (the interface's answers and announcements):
//   tamarind_fuzz_seeds fuzz/corpus
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "app/IniFile.h"
#include "maker/FileKinds.h"
#include "maker/Karakt.h"
#include "maker/ProgramData.h"
#include "maker/StreamContainer.h"
#include "rdm/rdm_frame.h"
#include "support/sim/SimNetworkInterface.h"
#include "support/sim/rdm_line.h"
#include "support/sim/rdm_responder.h"
#include "support/stream_files.h"

namespace {

QTextStream err(stderr);

bool Write(const QString& folder, const QString& target, const QString& name, const QByteArray& bytes) {
    const QDir dir(QDir(folder).filePath(target));
    if (!dir.mkpath(QStringLiteral("."))) {
        err << "Cannot create " << dir.path() << "\n";
        return false;
    }
    QFile f(dir.filePath(name));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) {
        err << "Cannot write " << f.fileName() << ": " << f.errorString() << "\n";
        return false;
    }
    return true;
}

QByteArray FromSpan(std::span<const uint8_t> bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

// Some colourful programs, saved as the File menu saves them.
QByteArray ProgramsFile() {
    tProgramData programs;
    programs.InitPrograms();
    for (int p = 1; p <= 3; ++p) {
        programs.ProgramSteps[p] = uint8_t(p + 1);
        programs.ProgramSpeed[p] = uint16_t(10 * p);
        programs.ProgramWait[p] = uint16_t(20 * p);
        programs.ProgramSpeedOn[p] = 1;
        programs.ProgramStepMode[p] = uint8_t(p & 1);
        for (int s = 1; s <= p + 1; ++s)
            for (int d = 1; d <= tProgramData::kDevices; ++d)
                programs.SetRgb(p, s, d, uint32_t(0x102030 * (s + d + p)) & 0xFFFFFF);
    }
    const auto image = std::make_unique<tStreamImage>();
    BuildProgramsStream(*image, programs);
    return FromSpan(image->Bytes());
}

// The factory configuration of an LED driver with its curves.
QByteArray ConfigFile() {
    tDeviceConfig config{};
    SetDefaultConfig(config);
    tCurveTable curves{};
    for (int ch = 1; ch <= kCurveChannels; ++ch)
        ComputeCharacteristicCurve(config, ch, curves[ch]);
    const auto image = std::make_unique<tStreamImage>();
    BuildConfigStream(*image, config, curves, FileKindConfig);
    return FromSpan(image->Bytes());
}

// A two-colour BMP of 40 x 16 with a frame and a diagonal.
QByteArray LogoBmp() {
    const int width = 40, height = 16;
    return Bmp(width, height, [](int x, int y) {
        return x == 0 || y == 0 || x == width - 1 || y == height - 1 || x == y * 2;
    });
}

QByteArray LogoStream(const QByteArray& bmp) {
    tLogoBitmap logo{};
    if (!DecodeBmpLogo(std::span(reinterpret_cast<const uint8_t*>(bmp.constData()), size_t(bmp.size())),
                       logo))
        return {};
    const auto image = std::make_unique<tStreamImage>();
    BuildLogoStream(*image, logo);
    return FromSpan(image->Bytes());
}

// The settings file as a first start writes it; the fuzz input is two bytes
// choosing the key to write, the file, a zero byte and the value.
QByteArray IniSeed() {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("Tamarind.ini"));
    TIniFile ini(path);
    const std::pair<const char*, const char*> keys[] = {{"Language", "English"},
                                                        {"USB", "2"},
                                                        {"INTERFACE", "USB"},
                                                        {"IP", "0.0.0.0"},
                                                        {"MASK", "255.255.255.255"}};
    for (const auto& [key, value] : keys)
        if (!ini.WriteString(QStringLiteral("Setup"), QString::fromLatin1(key), QString::fromLatin1(value)))
            return {};
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QByteArray(2, '\0') + f.readAll() + '\0' + QByteArray("Deutsch");
}

// A network interface's announcement, as the simulated interface sends it.
QByteArray Announcement() {
    SimNetworkInterface box(FreeUdpPort());
    box.identity.id = 0x00012345;
    box.identity.label = "Stage left";
    return box.Announcement();
}

// The answer of a responder to the program's GET DEVICE_INFO: three bytes for
// the harness (pending operation, tree node 1, sensor index), then either the
// answer frame from the sub-start code on or the 64-byte input reports that
// carry it.
std::pair<QByteArray, QByteArray> RdmAnswers() {
    SimRdmResponder device(0x4F52000000A1ull);
    device.SetDeviceInfo(0x0102, 0x0509, 1, 3, 1, 0, 2, 4);
    std::array<uint8_t, RdmRequestMax> packet{};
    const int length =
        BuildRdmRequest(packet, 0, RdmGetCommand, device.uid, PID_DEVICE_INFO, 0, {}, RdmLinkTypeRequest, 1);
    const auto request = std::span<const uint8_t>(packet.data(), size_t(length));
    const auto frame = device.Answer(request.subspan(3));
    SimRdmLine line;
    line.responders.push_back(&device);
    line.splitSize = 60;
    QByteArray reports;
    for (const SimInputReport& r : line.HandlePacket(request))
        reports += QByteArray(reinterpret_cast<const char*>(r.data()), 64);
    const QByteArray head("\x01\x01\x00", 3);
    return {frame ? head + FromSpan(*frame) : QByteArray(), head + reports};
}

// The report descriptor of the interface box: vendor page, 64-byte input and
// output reports, no report ids.
QByteArray InterfaceDescriptor() {
    // clang-format off
    static const uint8_t d[] = {
        0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, // vendor page 0xFF00, usage 1, application
        0x19, 0x01, 0x29, 0x40, 0x15, 0x00, 0x26, 0xFF, 0x00,
        0x75, 0x08, 0x95, 0x40, 0x81, 0x00,       // 64 x 8 bit input
        0x19, 0x01, 0x29, 0x40, 0x91, 0x00,       // output
        0xC0,
    };
    // clang-format on
    return QByteArray(reinterpret_cast<const char*>(d), sizeof d);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        err << "Usage: tamarind_fuzz_seeds FOLDER\n";
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QByteArray bmp = LogoBmp();
    const auto [rdmFrame, rdmReports] = RdmAnswers();
    const std::pair<QString, QByteArray> stream[] = {
        {QStringLiteral("programs.dmx"), ProgramsFile()},
        {QStringLiteral("configuration.dmx"), ConfigFile()},
        {QStringLiteral("logo_stream.dmx"), LogoStream(bmp)},
        {QStringLiteral("logo.bmp"), bmp},
        {QStringLiteral("firmware.dmx"), FirmwareFile(FirmwareIdByteFor(3), 4)}};
    const std::tuple<QString, QString, QByteArray> others[] = {
        {QStringLiteral("ini_file_fuzz"), QStringLiteral("first_start.ini"), IniSeed()},
        {QStringLiteral("network_announcement_fuzz"), QStringLiteral("announcement.bin"), Announcement()},
        {QStringLiteral("rdm_answer_fuzz"), QStringLiteral("device_info_frame.bin"), rdmFrame},
        {QStringLiteral("rdm_answer_fuzz"), QStringLiteral("device_info_reports.bin"), rdmReports},
        {QStringLiteral("report_descriptor_fuzz"), QStringLiteral("interface.bin"), InterfaceDescriptor()}};
    bool ok = true;
    for (const auto& [name, bytes] : stream) {
        if (bytes.isEmpty()) {
            err << "No bytes for " << name << "\n";
            ok = false;
            continue;
        }
        ok = Write(folder, QStringLiteral("stream_file_fuzz"), name, bytes) && ok;
    }
    for (const auto& [target, name, bytes] : others) {
        if (bytes.isEmpty()) {
            err << "No bytes for " << name << "\n";
            ok = false;
            continue;
        }
        ok = Write(folder, target, name, bytes) && ok;
    }
    return ok ? 0 : 1;
}
