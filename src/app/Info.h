#pragma once

#include <memory>

#include "app/ModalDialog.h"

namespace Ui {
class TfrmInfo;
}
class TfrmMain;

// Tells why a file cannot be used; the main window's MessageKind chooses the
// message: 1 the file's type is unknown, 2 its format is not acceptable.
class TfrmInfo : public TModalDialog {
    Q_OBJECT

public:
    explicit TfrmInfo(TfrmMain* owner);
    ~TfrmInfo() override;

    std::unique_ptr<Ui::TfrmInfo> ui;

protected:
    void FormActivate() override;

private:
    TfrmMain* frmMain;
};

class QLabel;
// Places a label in the middle of its dialog's width, sized to its text.
void CentreLabel(QLabel* label, int dialogWidth);
