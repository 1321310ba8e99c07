#pragma once

#include <memory>

#include "app/ModalDialog.h"

namespace Ui {
class TfrmNyelv;
}
class TfrmMain;

// The language dialog. OK stores the chosen language's name in the main
// window's LanguageName; Cancel leaves it as it was.
class TfrmNyelv : public TModalDialog {
    Q_OBJECT

public:
    explicit TfrmNyelv(TfrmMain* owner);
    ~TfrmNyelv() override;

    void btnOkClick();

    std::unique_ptr<Ui::TfrmNyelv> ui;

protected:
    void FormActivate() override;

private:
    TfrmMain* frmMain;
};
