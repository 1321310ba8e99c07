#pragma once

#include <QColor>
#include <QObject>
#include <QPoint>
#include <array>
#include <functional>
#include <optional>

#include "maker/ProgramData.h"

class QDialog;
class QFrame;
class QLabel;
class QLineEdit;
class TClickLabel;
class TShape;
class TfrmMain;
class TfrmRGB;

// The page "Programok": nine colour programs shown one at a time as a grid of
// 200 squares (rows are steps, columns are devices), with the step count, the
// speed and wait times, the speed switch and the step mode of the program, the
// colour mixer and the system colour dialog for one square, and the live DMX
// output of the current step.
class ProgramEditor : public QObject {
    Q_OBJECT

public:
    explicit ProgramEditor(TfrmMain& frm);
    ~ProgramEditor() override;

    // The programs being edited (ProgramStore, the per-program arrays and the
    // current program, step, device and channel count).
    tProgramData Programs;

    // The colour mixer, created at program start; the editor works without one
    // (a right click then only selects the square).
    void setColourMixer(TfrmRGB* mixer);
    TfrmRGB* colourMixer() const { return frmRGB; }

    // Shows a modal dialog and returns its result; tests replace it so that
    // they never wait on a dialog.
    std::function<int(QDialog&)> runModal;
    // The system colour dialog: the chosen colour, or nothing when cancelled.
    std::function<std::optional<QColor>(const QColor& initial)> chooseColour;

    void InitPrograms();
    void SelectFirstProgram();
    void ShowProgram();
    void UpdateStepLabels();
    void ShowStepRows();
    void PaintProgramGrid();
    void StoreProgramGrid();
    void LabelDeviceAddresses();

    // Handlers.
    void mFileNewClick();
    void mAblakProgClick();
    void cbProgramokChange();
    void seLepesSzamChange();
    void lLepes1Click(QObject* sender);
    void Shape_01_01MouseDown(TShape* sender, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers,
                              QPoint pos, bool doubleClick);
    void cbSpeedClick();
    void cbStepClick();
    void meSpeedExit();
    void meWaitExit();
    void btnPrgDmxClick();

    // The controls made in code.
    TShape* Shape(int step, int device) const { return shapes[step][device]; }
    QLabel* lLepes(int step) const;
    QLabel* lDmxSlave(int i) const { return slaveLabels[i]; }
    QFrame* sLepKeret() const { return frame; }

    // Font colours of the live-DMX button (red in the low byte): red while the
    // output is off, green while on.
    static constexpr uint32_t kDmxOffColour = 0x0000FF;
    static constexpr uint32_t kDmxOnColour = 0x008000;
    // Block-download step of the live output (LinkSubState).
    static constexpr uint16_t kLinkSubStateLiveDmx = 1;
    uint32_t PrgDmxFontColour() const;
    void SetPrgDmxFontColour(uint32_t colour);

    // Geometry of the grid: square size and the distance between squares.
    static constexpr int kSquare = 20;
    static constexpr int kPitch = 24;

private:
    void CreateGrid();
    int EditedProgram();  // CurrentProgram, made 1 when outside 1..9
    void MoveStepFrame();
    void SetBoldStep(int step);  // 0: every label normal
    void SquareHint(TShape* shape, int step, int device);
    // Reads a time edit; false (and nothing changed) when its text is not a time.
    bool ExitTimeEdit(QLineEdit* edit, bool speed);

    TfrmMain& frm;
    TfrmRGB* frmRGB = nullptr;
    std::array<std::array<TShape*, 21>, 11> shapes{};
    std::array<TClickLabel*, 11> stepLabels{};
    std::array<QLabel*, 20> slaveLabels{};
    QFrame* frame = nullptr;
};
