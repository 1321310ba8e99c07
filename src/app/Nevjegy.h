#pragma once

#include <QString>
#include <cstdint>
#include <memory>

#include "app/ModalDialog.h"

namespace Ui {
class TfrmNevjegy;
}
class TfrmMain;

// A date of the interface's software (year counted from 2000): "2012.3.7." in
// Hungarian, "7/3/2012" in every other language.
QString FormatVersionDate(uint8_t year, uint8_t month, uint8_t day, const QString& languageName);

// The about box: the brand, the program's version and, with an interface
// connected, the interface's hardware and software versions.
class TfrmNevjegy : public TModalDialog {
    Q_OBJECT

public:
    explicit TfrmNevjegy(TfrmMain* owner);
    ~TfrmNevjegy() override;

    std::unique_ptr<Ui::TfrmNevjegy> ui;

protected:
    void FormActivate() override;

private:
    TfrmMain* frmMain;
};
