#include "app/Info.h"

#include <algorithm>

#include "app/Main.h"
#include "ui_Info.h"

void CentreLines(QWidget* dialog, int designWidth, QLabel* line1, QLabel* line2) {
    constexpr int margin = 20;
    line1->adjustSize();
    line2->adjustSize();
    dialog->setFixedWidth(std::max(designWidth, std::max(line1->width(), line2->width()) + 2 * margin));
    for (QLabel* line : {line1, line2})
        line->move((dialog->width() - line->width()) / 2, line->y());
}

TfrmInfo::TfrmInfo(TfrmMain* owner)
    : TModalDialog(owner), ui(std::make_unique<Ui::TfrmInfo>()), frmMain(owner) {
    ui->setupUi(this);
    setFixedSize(size());
    designWidth = width();
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
    CentreLines(this, designWidth, ui->lSor1, ui->lSor2);
}
