#include "app/Program.h"

#include "app/Main.h"
#include "link/DataModule.h"

Program::Program(ProgramOptions opts) : options(std::move(opts)) {
    frmMain = std::make_unique<TfrmMain>();
    DM = std::make_unique<TDM>(frmMain.get());
    frmMain->setDataModule(DM.get());
}

Program::~Program() {
    // The window goes first: its close-down still reaches the data module.
    frmMain.reset();
    DM.reset();
}
