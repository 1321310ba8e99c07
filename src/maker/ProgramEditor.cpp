#include "maker/ProgramEditor.h"

#include <QColorDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

#include "app/Main.h"
#include "app/conversion.h"
#include "link/DataModule.h"
#include "maker/RGB.h"
#include "maker/SendPage.h"
#include "maker/Shapes.h"
#include "ui_Main.h"
#include "ui_ProgramPage.h"
#include "ui_RGB.h"

namespace {

// Left and top of square 01_01 inside the grid panel.
constexpr int kGridLeft = 70;
constexpr int kGridTop = 20;

}  // namespace

ProgramEditor::ProgramEditor(TfrmMain& f) : QObject(nullptr), frm(f) {
    runModal = [](QDialog& d) { return d.exec(); };
    chooseColour = [this](const QColor& initial) -> std::optional<QColor> {
        const QColor c = QColorDialog::getColor(initial, &frm);
        if (!c.isValid()) return std::nullopt;
        return c;
    };

    CreateGrid();
    SetPrgDmxFontColour(kDmxOffColour);

    Ui::ProgramPage& ui = *frm.prgUi;
    connect(ui.cbProgramok, &QComboBox::currentIndexChanged, this, &ProgramEditor::cbProgramokChange);
    connect(ui.seLepesSzam, &QSpinBox::editingFinished, this, &ProgramEditor::seLepesSzamChange);
    connect(ui.cbSpeed, &QCheckBox::toggled, this, &ProgramEditor::cbSpeedClick);
    connect(ui.cbStep, &QCheckBox::toggled, this, &ProgramEditor::cbStepClick);
    connect(ui.meSpeed, &QLineEdit::editingFinished, this, &ProgramEditor::meSpeedExit);
    connect(ui.meWait, &QLineEdit::editingFinished, this, &ProgramEditor::meWaitExit);
    connect(ui.btnPrgDmx, &QPushButton::clicked, this, &ProgramEditor::btnPrgDmxClick);
    connect(frm.ui->mFileUjProg, &QAction::triggered, this, &ProgramEditor::mFileNewClick);
    connect(frm.ui->mAblakProg, &QAction::triggered, this, &ProgramEditor::mAblakProgClick);
}

ProgramEditor::~ProgramEditor() = default;

void ProgramEditor::setColourMixer(TfrmRGB* mixer) {
    frmRGB = mixer;
    if (frmRGB) frmRGB->setPrograms(&Programs);
}

void ProgramEditor::CreateGrid() {
    QWidget* panel = frm.prgUi->pnlPrgGrid;
    frame = new QFrame(panel);
    frame->setObjectName("sLepKeret");
    frame->setFrameShape(QFrame::Box);
    frame->setLineWidth(2);
    frame->setStyleSheet("QFrame#sLepKeret { border: 2px solid #000080; }");
    frame->setAttribute(Qt::WA_TransparentForMouseEvents);

    for (int s = 1; s <= tProgramData::kSteps; ++s) {
        const int top = kGridTop + (s - 1) * kPitch;
        auto* label = new TClickLabel(panel);
        label->setObjectName(QString("lLepes%1").arg(s));
        label->setGeometry(24, top, 40, kSquare);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        connect(label, &TClickLabel::clicked, this, [this, label] { lLepes1Click(label); });
        stepLabels[s] = label;
        for (int d = 1; d <= tProgramData::kDevices; ++d) {
            auto* shape = new TShape(panel);
            shape->setObjectName(QString("Shape_%1_%2").arg(s, 2, 10, QChar('0')).arg(d, 2, 10, QChar('0')));
            shape->setGeometry(kGridLeft + (d - 1) * kPitch, top, kSquare, kSquare);
            shape->setColour(0);
            connect(shape, &TShape::mouseDown, this,
                    [this, shape](Qt::MouseButtons b, Qt::KeyboardModifiers m, QPoint pos, bool dbl) {
                        Shape_01_01MouseDown(shape, b, m, pos, dbl);
                    });
            shapes[s][d] = shape;
        }
    }
    const int addressTop = kGridTop + tProgramData::kSteps * kPitch + 4;
    for (int i = 1; i <= 19; ++i) {
        auto* label = new QLabel(panel);
        label->setObjectName(QString("lDmxSlave%1").arg(i));
        label->setGeometry(kGridLeft + i * kPitch - 4, addressTop, kSquare + 8, 16);
        label->setAlignment(Qt::AlignCenter);
        slaveLabels[i] = label;
    }
    MoveStepFrame();
}

QLabel* ProgramEditor::lLepes(int step) const {
    return stepLabels[step];
}

uint32_t ProgramEditor::PrgDmxFontColour() const {
    return TShape::FromQColor(frm.prgUi->btnPrgDmx->palette().color(QPalette::ButtonText));
}

void ProgramEditor::SetPrgDmxFontColour(uint32_t colour) {
    QPushButton* b = frm.prgUi->btnPrgDmx;
    QPalette pal = b->palette();
    pal.setColor(QPalette::ButtonText, TShape::ToQColor(colour));
    b->setPalette(pal);
}

// ---- operations ----

void ProgramEditor::InitPrograms() {
    Programs.InitPrograms();
}

void ProgramEditor::SelectFirstProgram() {
    Programs.SelectFirstProgram();
}

void ProgramEditor::ShowProgram() {
    Ui::ProgramPage& ui = *frm.prgUi;
    tProgramData& d = Programs;
    const int p = EditedProgram();

    frm.UpdatingControls = 1;
    ui.cbProgramok->setCurrentIndex(p - 1);
    ui.seLepesSzam->setValue(d.ProgramSteps[p]);
    ui.meSpeed->setText(StepUnitsToText(d.ProgramSpeed[p]));
    ui.meWait->setText(StepUnitsToText(d.ProgramWait[p]));
    ui.cbSpeed->setChecked(d.ProgramSpeedOn[p] != 0);
    ui.cbStep->setChecked(d.ProgramStepMode[p] != 0);
    frm.UpdatingControls = 0;

    const bool on = ui.cbSpeed->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(ui.meSpeed), static_cast<QWidget*>(ui.meWait),
                       static_cast<QWidget*>(ui.lSpeed), static_cast<QWidget*>(ui.lWait)})
        w->setEnabled(on);

    UpdateStepLabels();
    ShowStepRows();
    PaintProgramGrid();
}

int ProgramEditor::EditedProgram() {
    // Only another unit can leave a program outside 1..9; the page then works
    // on program 1 rather than outside the arrays.
    if (Programs.CurrentProgram < 1 || Programs.CurrentProgram > tProgramData::kPrograms) Programs.CurrentProgram = 1;
    return Programs.CurrentProgram;
}

void ProgramEditor::UpdateStepLabels() {
    const int count = Programs.ProgramSteps[EditedProgram()];
    for (int n = 1; n <= tProgramData::kSteps; ++n)
        stepLabels[n]->setText(n <= count ? QString("%1.").arg(n) : QString());
}

void ProgramEditor::ShowStepRows() {
    const int count = Programs.ProgramSteps[EditedProgram()];
    for (int s = 1; s <= tProgramData::kSteps; ++s)
        for (int d = 1; d <= tProgramData::kDevices; ++d) shapes[s][d]->setVisible(s <= count);
}

void ProgramEditor::SquareHint(TShape* shape, int s, int d) {
    const int p = EditedProgram();
    QString hint = QString("R=%1 G=%2 B=%3")
                       .arg(Programs.Colour(p, s, d, 1))
                       .arg(Programs.Colour(p, s, d, 2))
                       .arg(Programs.Colour(p, s, d, 3));
    if (Programs.EditorChannels == 5)
        hint += QString(" W=%1 A=%2").arg(Programs.Colour(p, s, d, 4)).arg(Programs.Colour(p, s, d, 5));
    shape->setToolTip(hint);
}

void ProgramEditor::PaintProgramGrid() {
    const int p = EditedProgram();
    for (int s = 1; s <= tProgramData::kSteps; ++s)
        for (int d = 1; d <= tProgramData::kDevices; ++d) {
            shapes[s][d]->setColour(Programs.Rgb(p, s, d));
            SquareHint(shapes[s][d], s, d);
        }
}

void ProgramEditor::StoreProgramGrid() {
    const int p = EditedProgram();
    for (int s = 1; s <= tProgramData::kSteps; ++s)
        for (int d = 1; d <= tProgramData::kDevices; ++d) {
            Programs.SetRgb(p, s, d, shapes[s][d]->colour());
            SquareHint(shapes[s][d], s, d);
        }
}

void ProgramEditor::LabelDeviceAddresses() {
    const int ch = Programs.FixtureChannels();
    for (int i = 1; i <= 19; ++i) slaveLabels[i]->setText(QString::number(i * ch + 1));
}

void ProgramEditor::MoveStepFrame() {
    const int top = kGridTop + (Programs.CurrentStep - 1) * kPitch;
    const int width = (tProgramData::kDevices - 1) * kPitch + kSquare + 6;
    frame->setGeometry(kGridLeft - 3, top - 2, width, kSquare + 4);
    frame->lower();
}

void ProgramEditor::SetBoldStep(int step) {
    for (int n = 1; n <= tProgramData::kSteps; ++n) {
        QFont f = stepLabels[n]->font();
        f.setBold(n == step);
        stepLabels[n]->setFont(f);
    }
}

// ---- menu items ----

void ProgramEditor::mFileNewClick() {
    Programs.EditorChannels = 3;
    InitPrograms();
    SelectFirstProgram();
    ShowProgram();
    LabelDeviceAddresses();
    frm.showMainPage("Programok");
    frm.ui->mFileSave->setEnabled(true);
}

void ProgramEditor::mAblakProgClick() {
    Programs.EditorChannels = 3;
    LabelDeviceAddresses();
    frm.showMainPage("Programok");
    frm.ui->mFileSave->setEnabled(true);
}

// ---- program and step controls ----

void ProgramEditor::cbProgramokChange() {
    if (frm.UpdatingControls) return;
    const int entry = frm.prgUi->cbProgramok->currentIndex();
    if (entry < 0 || entry >= tProgramData::kPrograms) return;
    Programs.CurrentProgram = uint8_t(entry + 1);
    ShowProgram();
}

void ProgramEditor::seLepesSzamChange() {
    if (frm.UpdatingControls) return;
    int steps = frm.prgUi->seLepesSzam->value() & 0xFF;
    if (steps < 1 || steps > tProgramData::kSteps) steps = tProgramData::kSteps;
    Programs.ProgramSteps[EditedProgram()] = uint8_t(steps);
    ShowProgram();
    if (steps < Programs.CurrentStep) Programs.CurrentStep = uint8_t(steps);
    MoveStepFrame();
}

void ProgramEditor::lLepes1Click(QObject* sender) {
    bool ok = false;
    const int n = sender->objectName().mid(QStringLiteral("lLepes").size()).toInt(&ok);
    if (!ok || n < 1 || n > tProgramData::kSteps) return;
    Programs.CurrentStep = uint8_t(n);
    SetBoldStep(n);
}

void ProgramEditor::cbSpeedClick() {
    if (frm.UpdatingControls) return;
    const int p = EditedProgram();
    const bool on = frm.prgUi->cbSpeed->isChecked();
    Programs.ProgramSpeedOn[p] = on ? 1 : 0;
    if (on) {
        if (Programs.ProgramSpeed[p] == 0 && Programs.ProgramWait[p] == 0) Programs.ProgramSpeed[p] = 1;
    } else {
        Programs.ProgramSpeed[p] = 0;
        Programs.ProgramWait[p] = 0;
    }
    ShowProgram();
}

void ProgramEditor::cbStepClick() {
    if (frm.UpdatingControls) return;
    Programs.ProgramStepMode[EditedProgram()] = frm.prgUi->cbStep->isChecked() ? 1 : 0;
}

bool ProgramEditor::ExitTimeEdit(QLineEdit* edit, bool speed) {
    const int p = EditedProgram();
    // The mask keeps its blank character in the displayed text, so a half-typed
    // time is seen as such and not read as a shorter number.
    const std::optional<uint16_t> units = TryParseStepTime(edit->displayText());
    if (!units) {
        // Not a time: the stored time stays and is shown again.
        ShowProgram();
        return false;
    }
    edit->setText(StepUnitsToText(*units));
    uint16_t& mine = speed ? Programs.ProgramSpeed[p] : Programs.ProgramWait[p];
    uint16_t& other = speed ? Programs.ProgramWait[p] : Programs.ProgramSpeed[p];
    mine = *units;
    // A program must not run with both times zero.
    if (mine == 0 && other == 0) other = StepTimeToUnits(0, 0, 5);
    ShowProgram();
    return true;
}

void ProgramEditor::meSpeedExit() {
    if (frm.UpdatingControls) return;
    ExitTimeEdit(frm.prgUi->meSpeed, true);
}

void ProgramEditor::meWaitExit() {
    if (frm.UpdatingControls) return;
    ExitTimeEdit(frm.prgUi->meWait, false);
}

// ---- squares ----

void ProgramEditor::Shape_01_01MouseDown(TShape* sender, Qt::MouseButtons buttons,
                                         Qt::KeyboardModifiers modifiers, QPoint pos, bool doubleClick) {
    const QString name = sender->objectName();
    bool okS = false, okD = false;
    const int s = name.mid(6, 2).toInt(&okS);
    const int d = name.mid(9, 2).toInt(&okD);
    if (!okS || !okD || !tProgramData::ValidCell(1, s, d)) return;

    Programs.CurrentStep = uint8_t(s);
    MoveStepFrame();
    Programs.CurrentDevice = uint8_t(d);

    const bool noKeys = (modifiers & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (!noKeys) return;
    if (buttons == Qt::LeftButton && !doubleClick) {
        SetBoldStep(s);
    } else if (buttons == Qt::RightButton && !doubleClick) {
        if (!frmRGB) return;
        const int p = EditedProgram();
        Ui::TfrmRGB& m = *frmRGB->ui;
        frmRGB->move(sender->mapToGlobal(pos));
        const uint32_t c = sender->colour();
        m.sbRed->setValue(255 - int(c & 0xFF));
        m.sbGreen->setValue(255 - int((c >> 8) & 0xFF));
        m.sbBlue->setValue(255 - int((c >> 16) & 0xFF));
        const bool five = Programs.EditorChannels == 5;
        if (five) {
            m.sbwhite->setValue(255 - Programs.Colour(p, s, d, 4));
            m.sbAmber->setValue(255 - Programs.Colour(p, s, d, 5));
        }
        m.btnOK->resize(five ? 129 : 75, m.btnOK->height());
        for (QWidget* w : std::initializer_list<QWidget*>{m.lW, m.lA, m.lWhiteValue, m.lAmberValue, m.sbwhite,
                                                          m.sbAmber, m.sW, m.sA})
            w->setVisible(five);
        runModal(*frmRGB);
        sender->setColour(m.sRGB->colour());
        Programs.SetColour(p, s, d, 4, uint8_t(255 - m.sbwhite->value()));
        Programs.SetColour(p, s, d, 5, uint8_t(255 - m.sbAmber->value()));
        StoreProgramGrid();
    } else if (buttons == Qt::LeftButton && doubleClick) {
        const std::optional<QColor> chosen = chooseColour(TShape::ToQColor(sender->colour()));
        if (chosen) sender->setColour(TShape::FromQColor(*chosen));
        StoreProgramGrid();
    }
}

// ---- live DMX output ----

void ProgramEditor::btnPrgDmxClick() {
    Ui::ProgramPage& ui = *frm.prgUi;
    TDM* dm = frm.dataModule();
    if (PrgDmxFontColour() != kDmxOffColour) {
        // On: the next block acknowledge ends the output.
        frm.LineState.TransmitFlag = 0;
        SetPrgDmxFontColour(kDmxOffColour);
        ui.btnPrgEszkozbe->setEnabled(true);
    } else {
        if (RefusedWhileScanHoldsTheLine(frm, QStringLiteral("DMX output"))) return;
        // Off: every block acknowledge from now on carries the current step.
        if (dm) dm->StartBlockDownload(66, 50);
        frm.LineState.TransmitFlag = 1;
        if (dm) dm->LinkSubState = kLinkSubStateLiveDmx;
        SetPrgDmxFontColour(kDmxOnColour);
        ui.btnPrgEszkozbe->setEnabled(false);
    }
    frm.ShowLineStatus();
}
