#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class TfrmMain;
class TfrmNyelv;
class TfrmNevjegy;
class TfrmInfo;
class TfrmKerdes;
class TfrmLvn;
class TDM;
class HidPlatform;
class TfrmRGB;
class TfrmSetupInterface;

// Everything that makes up one running program, created in the order the
// program starts its windows. Tests build one of these on a temporary folder.
struct ProgramOptions {
    QString appDir;         // folder of the settings file; empty: the program's folder
    QStringList arguments;  // command-line arguments after the program name
    std::shared_ptr<HidPlatform> hidPlatform = nullptr;  // where USB interfaces are found; empty: this machine
};

class Program {
public:
    explicit Program(ProgramOptions options = {});
    ~Program();

    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    ProgramOptions options;
    std::unique_ptr<TfrmMain> frmMain;
    std::unique_ptr<TfrmNyelv> frmNyelv;
    std::unique_ptr<TfrmNevjegy> frmNevjegy;
    std::unique_ptr<TfrmInfo> frmInfo;
    std::unique_ptr<TfrmRGB> frmRGB;
    std::unique_ptr<TDM> DM;
    std::unique_ptr<TfrmKerdes> frmKerdes;
    std::unique_ptr<TfrmLvn> frmLvn;
    std::unique_ptr<TfrmSetupInterface> frmSetupInterface;
};
