#include "app/Program.h"

#include "app/Info.h"
#include "app/Kerdes.h"
#include "app/Main.h"
#include "app/Nevjegy.h"
#include "app/Nyelv.h"
#include "link/DataModule.h"
#include "link/SetupInterface.h"
#include "maker/ProgramEditor.h"
#include "maker/RGB.h"
#include "views/Lvn.h"

Program::Program(ProgramOptions opts) : options(std::move(opts)) {
    // Every window is created hidden and does no work yet; the main window's
    // first activation starts the program.
    frmMain = std::make_unique<TfrmMain>();
    frmMain->setStartOptions(options.appDir, options.arguments);
    frmNyelv = std::make_unique<TfrmNyelv>(frmMain.get());
    frmNevjegy = std::make_unique<TfrmNevjegy>(frmMain.get());
    frmInfo = std::make_unique<TfrmInfo>(frmMain.get());
    frmRGB = std::make_unique<TfrmRGB>(frmMain.get());
    DM = std::make_unique<TDM>(frmMain.get(), options.hidPlatform);
    frmKerdes = std::make_unique<TfrmKerdes>(frmMain.get());
    frmLvn = std::make_unique<TfrmLvn>(frmMain.get());
    frmSetupInterface = std::make_unique<TfrmSetupInterface>(frmMain.get());

    frmMain->setDataModule(DM.get());
    frmMain->frmNyelv = frmNyelv.get();
    frmMain->frmNevjegy = frmNevjegy.get();
    frmMain->frmInfo = frmInfo.get();
    frmMain->frmKerdes = frmKerdes.get();
    frmMain->frmLvn = frmLvn.get();
    frmMain->frmSetupInterface = frmSetupInterface.get();
    frmMain->programEditor->setColourMixer(frmRGB.get());
}

Program::~Program() {
    // The dialogs are children of the main window: they go before it.
    frmMain->frmNyelv = nullptr;
    frmMain->frmNevjegy = nullptr;
    frmMain->frmInfo = nullptr;
    frmMain->frmKerdes = nullptr;
    frmMain->frmLvn = nullptr;
    frmMain->frmSetupInterface = nullptr;
    frmMain->programEditor->setColourMixer(nullptr);
    frmSetupInterface.reset();
    frmLvn.reset();
    frmKerdes.reset();
    frmRGB.reset();
    frmInfo.reset();
    frmNevjegy.reset();
    frmNyelv.reset();
    // The window goes next: its close-down still reaches the data module.
    frmMain.reset();
    DM.reset();
}
