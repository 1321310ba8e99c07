#pragma once

#include <memory>

#include "app/ModalDialog.h"

namespace Ui {
class TfrmKerdes;
}
class TfrmMain;

// Asks before a factory reset (MessageKind 1) or a device reset (3, where
// the kind of reset must be chosen before OK can be pressed), and warns that
// the interface needs a firmware update (2, OK only). Beeps when it opens.
class TfrmKerdes : public TModalDialog {
    Q_OBJECT

public:
    explicit TfrmKerdes(TfrmMain* owner);
    ~TfrmKerdes() override;

    void rbWarmClick();

    // Where OK stands when the dialog also offers Cancel.
    static constexpr int OkDesignLeft = 203;

    std::unique_ptr<Ui::TfrmKerdes> ui;

protected:
    void FormActivate() override;

private:
    TfrmMain* frmMain;
    int designWidth;
};
