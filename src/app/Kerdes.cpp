#include "app/Kerdes.h"

#include <QApplication>

#include "app/Info.h"
#include "app/Main.h"
#include "ui_Kerdes.h"

TfrmKerdes::TfrmKerdes(TfrmMain* owner)
    : TModalDialog(owner), ui(std::make_unique<Ui::TfrmKerdes>()), frmMain(owner) {
    ui->setupUi(this);
    setFixedSize(size());
    designWidth = width();
    connect(ui->btnOk, &QPushButton::clicked, this, [this] { accept(); });
    connect(ui->btnMegsem, &QPushButton::clicked, this, [this] { reject(); });
    // Either kind of reset makes OK available.
    for (QRadioButton* rb : {ui->rbWarm, ui->rbCold})
        connect(rb, &QRadioButton::toggled, this, [this](bool checked) {
            if (checked) rbWarmClick();
        });
}

TfrmKerdes::~TfrmKerdes() = default;

void TfrmKerdes::rbWarmClick() {
    ui->btnOk->setEnabled(true);
}

void TfrmKerdes::FormActivate() {
    ui->btnMegsem->setText(frmMain->text(19));
    ui->rbWarm->hide();
    ui->rbCold->hide();
    ui->btnOk->move(OkDesignLeft, ui->btnOk->y());

    switch (frmMain->MessageKind) {
    case 1: // factory defaults
        ui->btnMegsem->show();
        ui->btnOk->setEnabled(true);
        setWindowTitle(frmMain->text(88));
        ui->lSor1->setText(frmMain->text(89));
        ui->lSor2->setText(frmMain->text(90));
        break;
    case 2: // the interface needs new firmware: nothing to decline
        ui->btnMegsem->hide();
        ui->btnOk->setEnabled(true);
        setWindowTitle(frmMain->text(103));
        ui->lSor1->setText(frmMain->text(104));
        ui->lSor2->setText(frmMain->text(105));
        break;
    case 3: { // device reset: warm or cold must be chosen first
        ui->btnMegsem->show();
        ui->btnOk->setEnabled(false);
        // Both unchecked: the buttons are exclusive only while one of them is checked.
        for (QRadioButton* rb : {ui->rbWarm, ui->rbCold}) {
            rb->setAutoExclusive(false);
            rb->setChecked(false);
            rb->setAutoExclusive(true);
            rb->show();
        }
        setWindowTitle(QStringLiteral("RESET device"));
        ui->lSor1->setText(QStringLiteral("Device RESET"));
        ui->lSor2->setText(frmMain->text(90));
        break;
    }
    default:
        break;
    }
    CentreLines(this, designWidth, ui->lSor1, ui->lSor2);
    // Alone, OK stands in the middle (of the dialog as wide as its lines made it).
    if (frmMain->MessageKind == 2) ui->btnOk->move((width() - ui->btnOk->width()) / 2, ui->btnOk->y());
    QApplication::beep();
}
