#pragma once

#include <QObject>

class TfrmMain;

// The data module: owns the HID controller, the link state, the packet queue,
// the RDM request and answer state and the data module's timers. It reaches the
// main window through the pointer it is given.
class TDM : public QObject {
    Q_OBJECT

public:
    explicit TDM(TfrmMain* mainWindow, QObject* parent = nullptr);
    ~TDM() override;

    TfrmMain* mainWindow() const { return frmMain; }

private:
    TfrmMain* frmMain;
};
