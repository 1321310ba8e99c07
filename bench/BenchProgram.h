#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include "app/Program.h"

// The whole program on a temporary folder with an English settings file, its
// USB interfaces found on `platform` (empty: this machine's).
inline std::unique_ptr<Program> MakeBenchProgram(const QTemporaryDir& dir,
                                                 std::shared_ptr<HidPlatform> platform = nullptr) {
    QFile ini(QDir(dir.path()).filePath("Tamarind.ini"));
    if (ini.open(QIODevice::WriteOnly))
        ini.write("[Setup]\nLanguage=English\nUSB=0\nINTERFACE=USB\nIP=0.0.0.0\nMASK=255.255.255.255\n");
    ini.close();
    ProgramOptions options;
    options.appDir = dir.path() + "/";
    options.hidPlatform = std::move(platform);
    return std::make_unique<Program>(options);
}
