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
    int designWidth;
};

class QLabel;
// Sizes both lines to their texts and centres them in the dialog. A line
// longer than the design width allows widens the dialog (a margin each side)
// instead of being cut off at both ends.
void CentreLines(QWidget* dialog, int designWidth, QLabel* line1, QLabel* line2);
