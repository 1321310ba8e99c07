#include "link/DataModule.h"

TDM::TDM(TfrmMain* mainWindow, QObject* parent) : QObject(parent), frmMain(mainWindow) {}

TDM::~TDM() = default;
