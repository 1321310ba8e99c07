#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TfrmRGB;
}
struct tProgramData;

// The colour mixer: a borderless dialog with five vertical bars (R, G, B, W, A;
// the top of a bar is 255) that edit one cell of the program editor at once,
// with a preview of the mixed colour, the white and the amber.
class TfrmRGB : public QDialog {
    Q_OBJECT

public:
    explicit TfrmRGB(QWidget* parent = nullptr);
    ~TfrmRGB() override;

    // The programs whose current cell (program, step, device) the bars edit.
    void setPrograms(tProgramData* programs) { Programs = programs; }

    // Sets the width for the editor's channel count; done each time the mixer shows.
    void FormActivate();

    void sbRedChange();
    void sbGreenChange();
    void sbBlueChange();
    void sbwhiteChange();
    void sbAmberChange();
    void sRGBMouseDown();
    void btnOKClick();

    std::unique_ptr<Ui::TfrmRGB> ui;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void StoreCellByte(int channel, int value);
    void ShowMix();
    tProgramData* Programs = nullptr;
};
