#include "views/lvn_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "app/Main.h"
#include "link/DataModule.h"
#include "rdm/RdmDevice.h"
#include "rdm/RdmState.h"
#include "rdm/rdm_handlers_later.h"
#include "rdm/rdm_ops.h"
#include "ui_Lvn24Conf.h"
#include "ui_RdmPage.h"
#include "views/Lvn.h"
#include "views/RdmPageView.h"
#include "views/operation_watch.h"
#include "views/rdm_set_context.h"

namespace {

constexpr uint8_t DecoderKind = 6;
constexpr uint16_t FlagContact = 0x0001;
constexpr uint16_t FlagTemperature = 0x0002;
constexpr uint16_t SecondFlagFactoryDefaults = 0x0001;

} // namespace

TLvnPage::TLvnPage(TfrmMain* mainWindow)
    : QObject(mainWindow), ui(std::make_unique<Ui::Lvn24Conf>()), frm(mainWindow) {
    setObjectName(QStringLiteral("LvnPage"));
    writeWatch = new OperationWatch(
        frm,
        [this] {
            uint8_t& op = RdmStateOf(frm).RdmPendingOp;
            if (op == RdmOpLvnConfig) op = RdmOpNone;
        },
        this);
    QWidget* host = frm->rdmUi->tsLvn24Conf;
    auto* form = new QWidget(host);
    ui->setupUi(form);
    host->layout()->addWidget(form);

    ++FillingControls;
    ui->cbProdCat->addItems(ProductCategoryItems());
    FillProductSubCategories(0);
    --FillingControls;

    connect(ui->eDevModDesc, &QLineEdit::textChanged, this, [this] { eDevModDescChange(); });
    connect(ui->eManLabel, &QLineEdit::textChanged, this, [this] { eManLabelChange(); });
    connect(ui->seSoftVerID, &QDoubleSpinBox::valueChanged, this, [this] { seSoftVerIDChange(); });
    connect(ui->cbProdCat, &QComboBox::currentIndexChanged, this, [this] { cbProdCatChange(); });
    connect(ui->cbProdFineCat, &QComboBox::currentIndexChanged, this, [this] { cbProdFineCatChange(); });
    connect(ui->seTotPers, &QSpinBox::valueChanged, this, [this] { seTotPersChange(); });
    connect(ui->cbSensTemp, &QCheckBox::toggled, this, [this] { cbSensTempClick(); });
    connect(ui->cbSensCont, &QCheckBox::toggled, this, [this] { cbSensContClick(); });
    connect(ui->cbFactDef, &QCheckBox::toggled, this, [this] { cbFactDefClick(); });
    connect(ui->btnPersSettings, &QPushButton::clicked, this, [this] { btnPersSettingsClick(); });
    connect(ui->btnGet, &QPushButton::clicked, this, [this] { btnGetClick(); });
    connect(ui->btnSet, &QPushButton::clicked, this, [this] { btnSetClick(); });
    connect(frm->rdmUi->cbTestAutoDisc, &QCheckBox::toggled, this, [this] { cbTestAutoDiscClick(); });
}

TLvnPage::~TLvnPage() = default;

TLvnPage* TLvnPage::of(const TfrmMain* mainWindow) {
    return mainWindow ? mainWindow->findChild<TLvnPage*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

int TLvnPage::PersonalityLimit() const {
    const int max = cfg.LvnDeviceLimits.personalityMax;
    return max == 0 ? LvnPersonalityCapacity : std::min(max, LvnPersonalityCapacity);
}

int TLvnPage::SlotLimit() const {
    const int max = cfg.LvnDeviceLimits.slotMax;
    return max == 0 ? LvnSlotCapacity : std::min(max, LvnSlotCapacity);
}

int TLvnPage::OutChannelLimit() const {
    const int max = cfg.LvnDeviceLimits.slotMax;
    return max == 0 ? 255 : max;
}

void TLvnPage::log(const QString& line) {
    DeviceLogLine(frm, line);
}

void TLvnPage::setFlag(uint16_t& word, uint16_t bit, bool on) {
    word = on ? uint16_t(word | bit) : uint16_t(word & ~bit);
}

void TLvnPage::FillProductSubCategories(uint16_t category) {
    ++FillingControls;
    ui->cbProdFineCat->clear();
    ui->cbProdFineCat->addItems(ProductSubCategoryItems(category));
    --FillingControls;
}

// ---------------------------------------------------------------- the tab

void TLvnPage::ShowLvnHeader() {
    // Showing the record must not edit it: the category list's handler would
    // set the bare category code, and a lowered maximum would cut the count.
    const tLvnHeader& h = cfg.LvnHeader;
    ++FillingControls;
    ui->eDevModDesc->setText(h.modelDescription);
    ui->eManLabel->setText(h.manufacturerLabel);
    ui->seSoftVerID->setValue(h.softwareVersionId);
    ui->seSubDevCnt->setValue(h.subDeviceCount);
    ui->cbProdCat->setCurrentIndex(GetProductCategoryIndex(h.productCategory));
    FillProductSubCategories(h.productCategory);
    ui->cbProdFineCat->setCurrentIndex(GetProductSubCategoryIndex(h.productCategory));
    ui->seTotPers->setMaximum(PersonalityLimit());
    ui->seTotPers->setValue(h.personalityCount);
    ui->btnPersSettings->setEnabled(h.personalityCount > 0);
    ui->cbSensTemp->setChecked(h.flags & FlagTemperature);
    ui->cbSensCont->setChecked(h.flags & FlagContact);
    ui->cbFactDef->setChecked(h.secondFlags & SecondFlagFactoryDefaults);
    --FillingControls;
}

void TLvnPage::eDevModDescChange() {
    if (!FillingControls) cfg.LvnHeader.modelDescription = LvnText(ui->eDevModDesc->text());
}

void TLvnPage::eManLabelChange() {
    if (!FillingControls) cfg.LvnHeader.manufacturerLabel = LvnText(ui->eManLabel->text());
}

void TLvnPage::seSoftVerIDChange() {
    if (!FillingControls) cfg.LvnHeader.softwareVersionId = uint32_t(ui->seSoftVerID->value());
}

void TLvnPage::cbProdCatChange() {
    if (FillingControls || ui->cbProdCat->currentIndex() < 0) return;
    const uint16_t code = GetProductCategoryCode(ui->cbProdCat->currentIndex());
    cfg.LvnHeader.productCategory = code;
    FillProductSubCategories(code);
    ui->cbProdFineCat->setCurrentIndex(GetProductSubCategoryIndex(code));
}

void TLvnPage::cbProdFineCatChange() {
    const int index = ui->cbProdFineCat->currentIndex();
    if (FillingControls || index < 0) return;
    uint16_t& category = cfg.LvnHeader.productCategory;
    category = uint16_t((category & 0xFF00) | ProductSubCategoryCode(category, index));
}

void TLvnPage::seTotPersChange() {
    if (FillingControls) return;
    cfg.LvnHeader.personalityCount = uint8_t(ui->seTotPers->value());
    ui->btnPersSettings->setEnabled(cfg.LvnHeader.personalityCount > 0);
}

void TLvnPage::cbSensTempClick() {
    if (!FillingControls) setFlag(cfg.LvnHeader.flags, FlagTemperature, ui->cbSensTemp->isChecked());
}

void TLvnPage::cbSensContClick() {
    if (!FillingControls) setFlag(cfg.LvnHeader.flags, FlagContact, ui->cbSensCont->isChecked());
}

void TLvnPage::cbFactDefClick() {
    if (!FillingControls)
        setFlag(cfg.LvnHeader.secondFlags, SecondFlagFactoryDefaults, ui->cbFactDef->isChecked());
}

void TLvnPage::btnPersSettingsClick() {
    if (frm->frmLvn) frm->frmLvn->ShowModal();
}

void TLvnPage::btnGetClick() {
    StartLvnConfigRead();
}

void TLvnPage::btnSetClick() {
    StartLvnConfigSend();
}

void TLvnPage::cbTestAutoDiscClick() {
    RdmPageView* view = RdmViewOf(frm);
    if (!view) return;
    if (frm->rdmUi->cbTestAutoDisc->isChecked()) {
        view->AutoDiscoveryCount = 0;
        frm->rdmUi->lAutoDisc->show();
    } else {
        frm->rdmUi->lAutoDisc->hide();
    }
}

// The answers reach the page through the RDM answer path.
void ReceiveLvnConfigBlock(TDM& DM, const tRdmMessage& msg) {
    if (TLvnPage* page = TLvnPage::of(DM.mainWindow())) page->ReceiveLvnConfigBlock(msg);
}

void SendNextLvnConfigBlock(TDM& DM, const tRdmMessage& msg) {
    if (TLvnPage* page = TLvnPage::of(DM.mainWindow())) page->SendNextLvnConfigBlock(msg);
}
