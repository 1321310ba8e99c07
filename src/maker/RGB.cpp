#include "maker/RGB.h"

#include "maker/ProgramData.h"
#include "ui_RGB.h"

TfrmRGB::TfrmRGB(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), ui(std::make_unique<Ui::TfrmRGB>()) {
    ui->setupUi(this);
    setModal(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xA6, 0xCA, 0xF0));  // sky blue
    setPalette(pal);
    setAutoFillBackground(true);

    connect(ui->sbRed, &QScrollBar::valueChanged, this, &TfrmRGB::sbRedChange);
    connect(ui->sbGreen, &QScrollBar::valueChanged, this, &TfrmRGB::sbGreenChange);
    connect(ui->sbBlue, &QScrollBar::valueChanged, this, &TfrmRGB::sbBlueChange);
    connect(ui->sbwhite, &QScrollBar::valueChanged, this, &TfrmRGB::sbwhiteChange);
    connect(ui->sbAmber, &QScrollBar::valueChanged, this, &TfrmRGB::sbAmberChange);
    for (TShape* s : {ui->sRGB, ui->sW, ui->sA})
        connect(s, &TShape::mouseDown, this, &TfrmRGB::sRGBMouseDown);
    connect(ui->btnOK, &QPushButton::clicked, this, &TfrmRGB::btnOKClick);

    // The previews start as the bars stand (all at the top, 255), so a preview
    // always shows the bars even when a later setting leaves a bar unchanged.
    ui->sRGB->setColour(0xFFFFFF);
    ui->sW->setColour(0xFFFFFF);
    ui->sA->setColour(0x007FFF);
}

TfrmRGB::~TfrmRGB() = default;

void TfrmRGB::showEvent(QShowEvent* event) {
    FormActivate();
    QDialog::showEvent(event);
}

void TfrmRGB::FormActivate() {
    const bool five = Programs && Programs->EditorChannels == 5;
    resize(five ? 141 : 87, height());
}

void TfrmRGB::StoreCellByte(int channel, int value) {
    if (!Programs) return;
    const tProgramData& p = *Programs;
    if (!tProgramData::ValidCell(p.CurrentProgram, p.CurrentStep, p.CurrentDevice)) return;
    Programs->SetColour(p.CurrentProgram, p.CurrentStep, p.CurrentDevice, channel, uint8_t(value));
}

void TfrmRGB::ShowMix() {
    const uint32_t r = 255 - ui->sbRed->value();
    const uint32_t g = 255 - ui->sbGreen->value();
    const uint32_t b = 255 - ui->sbBlue->value();
    ui->sRGB->setColour(r | g << 8 | b << 16);
}

void TfrmRGB::sbRedChange() {
    const int v = 255 - ui->sbRed->value();
    ui->lRedValue->setText(QString::number(v));
    ShowMix();
    StoreCellByte(1, v);
}

void TfrmRGB::sbGreenChange() {
    const int v = 255 - ui->sbGreen->value();
    ui->lGreenValue->setText(QString::number(v));
    ShowMix();
    StoreCellByte(2, v);
}

void TfrmRGB::sbBlueChange() {
    const int v = 255 - ui->sbBlue->value();
    ui->lBlueValue->setText(QString::number(v));
    ShowMix();
    StoreCellByte(3, v);
}

void TfrmRGB::sbwhiteChange() {
    const int v = 255 - ui->sbwhite->value();
    ui->lWhiteValue->setText(QString::number(v));
    ui->sW->setColour(uint32_t(v) * 0x010101u);
    StoreCellByte(4, v);
}

void TfrmRGB::sbAmberChange() {
    const int v = 255 - ui->sbAmber->value();
    ui->lAmberValue->setText(QString::number(v));
    ui->sA->setColour(uint32_t(v) | uint32_t(v / 2) << 8);
    StoreCellByte(5, v);
}

void TfrmRGB::sRGBMouseDown() {
    accept();
}

void TfrmRGB::btnOKClick() {
    accept();
}
