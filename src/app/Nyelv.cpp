#include "app/Nyelv.h"

#include "app/Main.h"
#include "ui_Nyelv.h"

TfrmNyelv::TfrmNyelv(TfrmMain* owner)
    : TModalDialog(owner), ui(std::make_unique<Ui::TfrmNyelv>()), frmMain(owner) {
    ui->setupUi(this);
    connect(ui->btnOk, &QPushButton::clicked, this, [this] { btnOkClick(); });
    connect(ui->btnMegsem, &QPushButton::clicked, this, [this] { reject(); });
}

TfrmNyelv::~TfrmNyelv() = default;

void TfrmNyelv::FormActivate() {
    setWindowTitle(QStringLiteral(" ") + frmMain->text(1));
    ui->lInfo->setText(frmMain->text(18));
    ui->btnMegsem->setText(frmMain->text(19));
    switch (frmMain->LanguageIndex) {
    case 1:
        ui->rbMagyar->setChecked(true);
        break;
    case 3:
        ui->rbDeutsch->setChecked(true);
        break;
    default:
        ui->rbEnglish->setChecked(true);
        break;
    }
}

void TfrmNyelv::btnOkClick() {
    if (ui->rbMagyar->isChecked())
        frmMain->LanguageName = QStringLiteral("Hungarian");
    else if (ui->rbDeutsch->isChecked())
        frmMain->LanguageName = QStringLiteral("German");
    else
        frmMain->LanguageName = QStringLiteral("English");
    accept();
}
