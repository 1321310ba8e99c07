// Feeds arbitrary bytes as a `.dmx` file and as a `.bmp` file through what the
// File menu and the page "Send" do with a file: classification, the firmware
// labels, the logo, the programs and configuration readers, and a send that
// reads the loaded stream record by record. Nothing may read or write out of
// bounds, whatever the file claims.
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "fuzz_target.h"
#include "maker/FileKinds.h"
#include "maker/StreamContainer.h"

namespace {
bool accepted = false;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto image = std::make_unique<tStreamImage>();
    const std::span<const uint8_t> bytes(data, size);

    // As a `.dmx` file. It is taken when its stream header is known and the
    // reader of its kind, if it has one, reads it.
    const tFileClass dmx = ClassifyFileBytes(QStringLiteral("fuzz.dmx"), bytes, size);
    bool read = true;
    if (dmx.kind == FileKindFirmware) {
        (void)FirmwareVersionText(bytes);
        uint8_t y = 0, m = 0, d = 0;
        (void)FirmwareDate(bytes, y, m, d);
        const uint32_t count = StreamFrameCountOf(bytes);
        read = image->Load(bytes);
        if (read) {
            // The sender: records until the count or the end of the stream.
            std::array<uint8_t, 514> frame{};
            uint32_t position = 17, length = 0;
            for (uint32_t sent = 0; sent < count; ++sent)
                if (ReadStreamRecord(*image, position, frame.data(), 513, length) != RecordRead::Ok) break;
        }
    }
    tProgramData programs;
    programs.InitPrograms();
    const bool programsRead = ReadProgramsFile(bytes, *image, programs);
    if (dmx.kind == FileKindPrograms) read = programsRead;
    tDeviceConfig config{};
    const bool configRead = ReadConfigFile(bytes, config);
    if (dmx.kind == FileKindConfig) read = configRead;
    accepted = dmx.idChange != tFileClass::IdChange::Keep && read;

    // As a `.bmp` file.
    if (ClassifyFileBytes(QStringLiteral("fuzz.bmp"), bytes, size).kind == FileKindBmp) {
        static tLogoBitmap logo;
        if (DecodeBmpLogo(bytes, logo)) {
            BuildLogoStream(*image, logo);
            accepted = true;
        }
    }
    return 0;
}

bool FuzzInputAccepted() {
    return accepted;
}
