#include "app/Info.h"

#include "app/Main.h"
#include "ui_Info.h"

void CentreLabel(QLabel* label, int dialogWidth) {
    label->adjustSize();
    label->move((dialogWidth - label->width()) / 2, label->y());
}

TfrmInfo::TfrmInfo(TfrmMain* owner)
    : TModalDialog(owner), ui(std::make_unique<Ui::TfrmInfo>()), frmMain(owner) {
    ui->setupUi(this);
    setFixedSize(size());
    connect(ui->btnMegsem, &QPushButton::clicked, this, [this] { reject(); });
}

TfrmInfo::~TfrmInfo() = default;

void TfrmInfo::FormActivate() {
    ui->btnMegsem->setText(frmMain->text(19));
    switch (frmMain->MessageKind) {
    case 1:
        ui->lSor1->setText(frmMain->text(22));
        ui->lSor2->clear();
        break;
    case 2:
        ui->lSor1->setText(frmMain->text(23));
        ui->lSor2->setText(frmMain->text(24));
        break;
    default:
        break;
    }
    CentreLabel(ui->lSor1, width());
    CentreLabel(ui->lSor2, width());
}
