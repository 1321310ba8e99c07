#include "views/Lvn.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <algorithm>

#include "app/Main.h"
#include "ui_Lvn.h"
#include "views/lvn_image.h"
#include "views/lvn_page.h"

namespace {

constexpr uint8_t OutputTypeStrobo = 2;
constexpr uint8_t NoOutChannel = 255;
constexpr uint8_t PrimarySlot = 0;

// Lengths of the name stems before the row digit.
constexpr int StemSlotType = 10;  // cbSlotType1
constexpr int StemSlotLabID = 11; // cbSlotLabID1
constexpr int StemNine = 9;       // seSlotDef1, eSlotDesc1, cbOutChNr1
constexpr int StemEight = 8;      // cbReserv1, cbMaster1
constexpr int StemSix = 6;        // cbType1, cbSrob1

int RowOfName(const QObject* sender, int stem) {
    const QString name = sender ? sender->objectName() : QString();
    return name.size() > stem ? name.at(stem).digitValue() : -1;
}

} // namespace

TfrmLvn::TfrmLvn(TfrmMain* owner) : TModalDialog(owner), ui(std::make_unique<Ui::TfrmLvn>()), frmMain(owner) {
    ui->setupUi(this);
    setFixedSize(size());

    connect(ui->cbSelPers, &QComboBox::currentIndexChanged, this, [this] { cbSelPersChange(); });
    connect(ui->ePersDesc, &QLineEdit::textChanged, this, [this] { ePersDescChange(); });
    connect(ui->seInChNr, &QSpinBox::valueChanged, this, [this] { seInChNrChange(); });
    connect(ui->seOutChNr, &QSpinBox::valueChanged, this, [this] { seOutChNrChange(); });
    connect(ui->sbPersChs, &QScrollBar::valueChanged, this, [this] { sbPersChsChange(); });
    connect(ui->seStrobMin, &QSpinBox::valueChanged, this, [this] { seStrobMinChange(); });
    connect(ui->seStrobMax, &QSpinBox::valueChanged, this, [this] { seStrobMaxChange(); });
    connect(ui->seStrobOpen, &QSpinBox::valueChanged, this, [this] { seStrobOpenChange(); });
    connect(ui->btnClose, &QPushButton::clicked, this, [this] { btnCloseClick(); });

    const QStringList slotTypes = SlotTypeItems();
    for (int r = 1; r <= 3; ++r) {
        const Row w = row(r);
        w.slotType->addItems(slotTypes);
        using Handler = void (TfrmLvn::*)(QObject*);
        auto on = [this](auto* control, auto signal, Handler handler) {
            connect(control, signal, this, [this, control, handler] { (this->*handler)(control); });
        };
        on(w.slotType, &QComboBox::currentIndexChanged, &TfrmLvn::cbSlotType1Change);
        on(w.labelId, &QComboBox::currentIndexChanged, &TfrmLvn::cbSlotLabID1Change);
        on(w.defaultValue, &QSpinBox::valueChanged, &TfrmLvn::seSlotDef1Change);
        on(w.description, &QLineEdit::textChanged, &TfrmLvn::eSlotDesc1Change);
        on(w.type, &QComboBox::currentIndexChanged, &TfrmLvn::cbType1Change);
        on(w.outChannel, &QComboBox::currentIndexChanged, &TfrmLvn::cbOutChNr1Change);
        on(w.reversed, &QCheckBox::toggled, &TfrmLvn::cbReserv1Click);
        on(w.mastered, &QCheckBox::toggled, &TfrmLvn::cbMaster1Click);
        on(w.strobed, &QCheckBox::toggled, &TfrmLvn::cbSrob1Click);
    }
}

TfrmLvn::~TfrmLvn() = default;

TfrmLvn::Row TfrmLvn::row(int r) const {
    auto at = [this, r](const char* stem) {
        return findChild<QWidget*>(QLatin1String(stem) + QString::number(r));
    };
    auto label = [&](const char* stem) { return static_cast<QLabel*>(at(stem)); };
    auto combo = [&](const char* stem) { return static_cast<QComboBox*>(at(stem)); };
    auto check = [&](const char* stem) { return static_cast<QCheckBox*>(at(stem)); };
    return {label("lChSor"),
            combo("cbSlotType"),
            combo("cbSlotLabID"),
            static_cast<QSpinBox*>(at("seSlotDef")),
            static_cast<QLineEdit*>(at("eSlotDesc")),
            combo("cbType"),
            combo("cbOutChNr"),
            check("cbReserv"),
            check("cbMaster"),
            check("cbSrob"),
            label("lSlotType"),
            label("lSlotLabID"),
            label("lSlotDef"),
            label("lSlotDesc"),
            label("lType"),
            label("lOutChNr")};
}

tLvnConfig& TfrmLvn::cfg() const {
    return TLvnPage::of(frmMain)->cfg;
}

tLvnPersonality& TfrmLvn::personality() const {
    return cfg().LvnPersonalities[std::min<size_t>(LvnCurrentPersonality, LvnPersonalityCapacity - 1)];
}

tLvnSlot* TfrmLvn::slotOf(QObject* sender, int stem, int* slotIndex) const {
    const int r = RowOfName(sender, stem);
    if (r < 1 || r > 3) return nullptr;
    const int s = LvnFirstVisibleSlot + r - 1;
    if (s >= LvnSlotCapacity) return nullptr;
    if (slotIndex) *slotIndex = s;
    return &personality().slotInfo[size_t(s)];
}

// ---------------------------------------------------------------- refresh routines

void TfrmLvn::FormActivate() {
    ++FillingControls;
    LvnCurrentPersonality = 0;
    LvnFirstVisibleSlot = 0;
    ui->cbSelPers->clear();
    for (int p = 1; p <= std::min<int>(cfg().LvnHeader.personalityCount, LvnPersonalityCapacity); ++p)
        ui->cbSelPers->addItem(QString::number(p));
    ui->cbSelPers->setCurrentIndex(0);
    const TLvnPage* page = TLvnPage::of(frmMain);
    ui->seInChNr->setMaximum(page->SlotLimit());
    ui->seOutChNr->setMaximum(page->OutChannelLimit());
    ui->sbPersChs->setValue(0);
    --FillingControls;
    FillOutChannelCombos();
    ShowPersonalityPage();
}

void TfrmLvn::FillOutChannelCombos() {
    QStringList items{QStringLiteral("-")};
    for (int m = 1; m <= personality().outChannelCount; ++m)
        items << QString::number(m);
    ++FillingControls;
    for (int r = 1; r <= 3; ++r) {
        QComboBox* list = row(r).outChannel;
        list->clear();
        list->addItems(items);
    }
    --FillingControls;
}

void TfrmLvn::FillSlotLabelCombo(QComboBox* list, uint8_t slotType, uint8_t slotNumber) {
    ++FillingControls;
    list->clear();
    if (slotType == PrimarySlot) {
        list->addItems(SlotLabelItems());
    } else {
        for (int s = 1; s <= slotNumber; ++s)
            list->addItem(QString::number(s));
    }
    --FillingControls;
}

void TfrmLvn::selectSlotLabel(QComboBox* list, uint8_t slotType, uint16_t labelId) {
    ++FillingControls;
    // A secondary slot's label is the offset of its primary slot: the item at
    // that position, none when no slot before it has that offset.
    if (slotType == PrimarySlot)
        list->setCurrentIndex(GetSlotLabelIndex(labelId));
    else
        list->setCurrentIndex(labelId < list->count() ? int(labelId) : -1);
    --FillingControls;
}

void TfrmLvn::ShowPersonalityPage() {
    const tLvnPersonality& pers = personality();
    const int n = pers.inChannelCount;
    const int f = LvnFirstVisibleSlot;
    ++FillingControls;
    ui->ePersDesc->setText(pers.description);
    ui->seInChNr->setValue(n);
    ui->seOutChNr->setValue(pers.outChannelCount);
    if (n >= 4) {
        ui->sbPersChs->setMaximum(n - 3);
        ui->sbPersChs->setValue(f);
        ui->sbPersChs->setEnabled(true);
    } else {
        ui->sbPersChs->setEnabled(false);
    }
    for (int r = 1; r <= 3; ++r) {
        const Row w = row(r);
        const bool on = n >= r;
        for (QWidget* c :
             std::initializer_list<QWidget*>{w.slotType, w.labelId, w.defaultValue, w.description, w.type,
                                             w.outChannel, w.reversed, w.mastered, w.strobed, w.lSlotType,
                                             w.lLabelId, w.lDefault, w.lDescription, w.lType, w.lOutChannel})
            c->setEnabled(on);
        w.number->setText(on ? QString::number(f + r) + QLatin1Char('.') : QStringLiteral("-"));
        const int s = f + r - 1;
        if (s >= LvnSlotCapacity) continue;
        const tLvnSlot& slot = pers.slotInfo[size_t(s)];
        w.slotType->setCurrentIndex(GetSlotTypeIndex(slot.slotType));
        FillSlotLabelCombo(w.labelId, slot.slotType, uint8_t(s));
        selectSlotLabel(w.labelId, slot.slotType, slot.slotLabelId);
        w.defaultValue->setValue(slot.defaultValue);
        w.description->setText(slot.description);
        w.type->setCurrentIndex(pers.outputType[size_t(s)] <= OutputTypeStrobo ? pers.outputType[size_t(s)]
                                                                               : -1);
        const uint8_t out = pers.outChannel[size_t(s)];
        w.outChannel->setCurrentIndex(out >= pers.outChannelCount ? 0 : out + 1);
        w.reversed->setChecked(pers.outputFlags[size_t(s)] & 0x01);
        w.mastered->setChecked(pers.outputFlags[size_t(s)] & 0x02);
        w.strobed->setChecked(pers.outputFlags[size_t(s)] & 0x04);
    }
    --FillingControls;
    EnableStrobeGroup();
}

void TfrmLvn::EnableStrobeGroup() {
    const tLvnPersonality& pers = personality();
    const int n = std::min<int>(pers.inChannelCount, LvnSlotCapacity);
    bool strobe = false;
    for (int s = 0; s < n; ++s)
        strobe = strobe || pers.outputType[size_t(s)] == OutputTypeStrobo;
    ++FillingControls;
    ui->gbStrobe->setEnabled(strobe);
    ui->seStrobMin->setValue(strobe ? pers.strobeMin : 0);
    ui->seStrobMax->setValue(strobe ? pers.strobeMax : 0);
    ui->seStrobOpen->setValue(strobe ? pers.strobeOpenTime : 0);
    --FillingControls;
}

// ---------------------------------------------------------------- handlers

void TfrmLvn::cbSelPersChange() {
    const int index = ui->cbSelPers->currentIndex();
    if (FillingControls || index < 0) return;
    LvnCurrentPersonality = uint8_t(std::min(index, LvnPersonalityCapacity - 1));
    LvnFirstVisibleSlot = 0;
    ++FillingControls;
    ui->sbPersChs->setValue(0);
    --FillingControls;
    FillOutChannelCombos();
    ShowPersonalityPage();
}

void TfrmLvn::ePersDescChange() {
    if (!FillingControls) personality().description = LvnText(ui->ePersDesc->text());
}

void TfrmLvn::seInChNrChange() {
    if (FillingControls) return;
    // The records hold 32 slots a personality, whatever the device allows.
    const int count = std::min(ui->seInChNr->value(), LvnSlotCapacity);
    personality().inChannelCount = uint8_t(count);
    // With two slots or fewer the scroll bar is off, so the window goes back to
    // the first slot: rows left past the count would edit slots never written.
    if (LvnFirstVisibleSlot + 2 > count - 1) LvnFirstVisibleSlot = uint8_t(std::max(count - 3, 0));
    ShowPersonalityPage();
}

void TfrmLvn::seOutChNrChange() {
    if (FillingControls) return;
    personality().outChannelCount = uint8_t(ui->seOutChNr->value());
    FillOutChannelCombos();
    ShowPersonalityPage();
}

void TfrmLvn::sbPersChsChange() {
    if (FillingControls) return;
    LvnFirstVisibleSlot = uint8_t(std::clamp(ui->sbPersChs->value(), 0, LvnSlotCapacity - 3));
    ShowPersonalityPage();
}

void TfrmLvn::cbSlotType1Change(QObject* sender) {
    auto* list = qobject_cast<QComboBox*>(sender);
    int s = 0;
    tLvnSlot* slot = slotOf(sender, StemSlotType, &s);
    if (FillingControls || !slot || !list || list->currentIndex() < 0) return;
    slot->slotType = GetSlotTypeCode(list->currentIndex());
    QComboBox* labels = row(RowOfName(sender, StemSlotType)).labelId;
    FillSlotLabelCombo(labels, slot->slotType, uint8_t(s));
    selectSlotLabel(labels, slot->slotType, slot->slotLabelId);
}

void TfrmLvn::cbSlotLabID1Change(QObject* sender) {
    auto* list = qobject_cast<QComboBox*>(sender);
    tLvnSlot* slot = slotOf(sender, StemSlotLabID);
    if (FillingControls || !slot || !list || list->currentIndex() < 0) return;
    const int index = list->currentIndex();
    slot->slotLabelId = slot->slotType == PrimarySlot ? GetSlotLabelCode(index) : uint16_t(index);
}

void TfrmLvn::seSlotDef1Change(QObject* sender) {
    tLvnSlot* slot = slotOf(sender, StemNine);
    if (!FillingControls && slot) slot->defaultValue = uint8_t(static_cast<QSpinBox*>(sender)->value());
}

void TfrmLvn::eSlotDesc1Change(QObject* sender) {
    tLvnSlot* slot = slotOf(sender, StemNine);
    if (!FillingControls && slot) slot->description = LvnText(static_cast<QLineEdit*>(sender)->text());
}

void TfrmLvn::cbType1Change(QObject* sender) {
    int s = 0;
    const int index = static_cast<QComboBox*>(sender)->currentIndex();
    if (FillingControls || !slotOf(sender, StemSix, &s) || index < 0) return;
    personality().outputType[size_t(s)] = uint8_t(index);
    EnableStrobeGroup();
}

void TfrmLvn::cbOutChNr1Change(QObject* sender) {
    int s = 0;
    const int index = static_cast<QComboBox*>(sender)->currentIndex();
    if (FillingControls || !slotOf(sender, StemNine, &s) || index < 0) return;
    personality().outChannel[size_t(s)] = index == 0 ? NoOutChannel : uint8_t(index - 1);
}

void TfrmLvn::setOutputFlag(QObject* sender, int stem, uint8_t bit) {
    int s = 0;
    if (FillingControls || !slotOf(sender, stem, &s)) return;
    uint8_t& flags = personality().outputFlags[size_t(s)];
    flags = static_cast<QCheckBox*>(sender)->isChecked() ? uint8_t(flags | bit) : uint8_t(flags & ~bit);
}

void TfrmLvn::cbReserv1Click(QObject* sender) {
    setOutputFlag(sender, StemEight, 0x01);
}

void TfrmLvn::cbMaster1Click(QObject* sender) {
    setOutputFlag(sender, StemEight, 0x02);
}

void TfrmLvn::cbSrob1Click(QObject* sender) {
    setOutputFlag(sender, StemSix, 0x04);
}

void TfrmLvn::seStrobMinChange() {
    if (!FillingControls) personality().strobeMin = uint16_t(ui->seStrobMin->value());
}

void TfrmLvn::seStrobMaxChange() {
    if (!FillingControls) personality().strobeMax = uint16_t(ui->seStrobMax->value());
}

void TfrmLvn::seStrobOpenChange() {
    if (!FillingControls) personality().strobeOpenTime = uint8_t(ui->seStrobOpen->value());
}

void TfrmLvn::btnCloseClick() {
    accept();
}
