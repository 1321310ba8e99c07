#include "app/Nevjegy.h"

#include "app/Main.h"
#include "ui_Nevjegy.h"

QString FormatVersionDate(uint8_t year, uint8_t month, uint8_t day, const QString& languageName) {
    const QString y = QString::number(2000 + year);
    if (languageName == QLatin1String("Hungarian"))
        return QStringLiteral("%1.%2.%3.").arg(y).arg(month).arg(day);
    return QStringLiteral("%1/%2/%3").arg(day).arg(month).arg(y);
}

TfrmNevjegy::TfrmNevjegy(TfrmMain* owner)
    : TModalDialog(owner), ui(std::make_unique<Ui::TfrmNevjegy>()), frmMain(owner) {
    ui->setupUi(this);
    connect(ui->btnMegsem, &QPushButton::clicked, this, [this] { reject(); });
}

TfrmNevjegy::~TfrmNevjegy() = default;

void TfrmNevjegy::FormActivate() {
    const TfrmMain& m = *frmMain;
    setWindowTitle(QStringLiteral(" ") + m.text(11));
    ui->btnMegsem->setText(m.text(19));

    // Each value follows its caption at the layout's usual spacing, so that
    // neither reads as one word with it.
    ui->lForgAdat->setText(QString::fromUtf8(m.BrandRow.name));
    ui->lWebAdat->setText(QString::fromUtf8(m.BrandRow.web));
    ui->lEmailAdat->setText(QString::fromUtf8(m.BrandRow.email));

    ui->lPcSoft->setText(m.text(107) + QStringLiteral(":"));
    ui->lVerzioAdat->setText(ProgramVersionText());
    ui->lSoftware->setText(m.text(107));
    ui->lInterface->setText(m.text(59));

    const tLineState& s = m.LineState;
    const bool versionsKnown = s.HidConnected && s.InterfaceType != 0;
    if (versionsKnown) {
        const auto& boot = s.InterfaceBootInfo;
        const auto& app = s.InterfaceAppInfo;
        ui->lHardware->setText(m.text(70) + QStringLiteral(":"));
        ui->lHardwareData->setText(QStringLiteral("v.%1 - ").arg(app[5]) +
                                   FormatVersionDate(app[6], app[7], app[8], m.LanguageName));
        ui->lBootSoft->setText(m.text(108) + QStringLiteral(":"));
        ui->lBootData->setText(QStringLiteral("v.%1.%2 - ").arg(boot[1]).arg(boot[2]) +
                               FormatVersionDate(boot[3], boot[4], boot[5], m.LanguageName));
        if (boot[0] != 0)
            ui->lAppSoftData->setText(QStringLiteral("v.%1.%2 - ").arg(app[0]).arg(app[1]) +
                                      FormatVersionDate(app[2], app[3], app[4], m.LanguageName));
        else
            ui->lAppSoftData->setText(QStringLiteral("no sw found"));
    } else {
        ui->lHardware->setText(m.text(s.HidConnected ? 46 : 45));
    }
    for (QWidget* w : {static_cast<QWidget*>(ui->lHardwareData), static_cast<QWidget*>(ui->lBootSoft),
                       static_cast<QWidget*>(ui->lBootData), static_cast<QWidget*>(ui->lAppSoft),
                       static_cast<QWidget*>(ui->lAppSoftData)})
        w->setVisible(versionsKnown);
}
