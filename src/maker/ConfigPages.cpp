#include "maker/ConfigPages.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <algorithm>
#include <cmath>

#include "app/Main.h"
#include "app/Notebook.h"
#include "app/conversion.h"
#include "maker/ProgramEditor.h"
#include "rdm/RdmDevice.h"
#include "views/RdmPageView.h"
#include "ui_KonfigPage.h"
#include "ui_Main.h"
#include "ui_ProgramPage.h"

namespace {

// Names of one control family: prefix + channel letter.
QStringList Family(const QString& prefix, const QString& channels) {
    QStringList names;
    for (QChar c : channels) names << prefix + c;
    return names;
}

// Controls of the W or A channel that show only when a page works with that channel.
QStringList Q73GChannelControls(QChar c) {
    QStringList n;
    for (const char* prefix : {"seKonfQ73GDef", "lKonfQ73GDefCap", "seKonfQ73GMin", "seKonfQ73GMax", "tbKonfQ73GGamma",
                               "lKonfQ73GGamma", "fKonfQ73GGamma", "seKonfQ73GOffs", "lKonfQ73GCharCap"})
        n << QString(prefix) + c;
    return n;
}

QStringList ZK4ChannelControls(QChar c) {
    QStringList n;
    for (const char* prefix : {"seKonfZK4Def", "lKonfZK4DefCap", "tbKonfZK4Gamma", "lKonfZK4Gamma", "fKonfZK4Gamma",
                               "seCharZK4OutMax", "seCharZK4OutMin", "lKonfZK4CharCap"})
        n << QString(prefix) + c;
    return n;
}

// Gamma labels of one channel on every page that has one.
const char* const kGammaLabelPrefixes[] = {"lKarGam", "lKonfQ7Gamma", "lKonfQ9subGamma", "lKonfQ73GGamma",
                                           "lKonfZK4Gamma"};

}  // namespace

ConfigPages::ConfigPages(TfrmMain& f) : QObject(nullptr), frm(f), page(f.konfUi->nbKonf->parentWidget()) {
    selectedDeviceKind = [this]() -> std::optional<int> {
        RdmPageView* view = frm.rdmView;
        if (!view || view->RdmCurrentNode() == 0) return std::nullopt;
        const tRdmDevice* rec = view->RecordAt(view->RdmCurrentNode());
        if (!rec) return std::nullopt;
        return rec->DeviceKind;
    };
    // The labels' design text follows the number format in use.
    for (QLabel* l : page->findChildren<QLabel*>())
        for (const char* prefix : kGammaLabelPrefixes)
            if (l->objectName().startsWith(prefix)) l->setText(GammaText(10));
    CreateCharts();
    BindHandlers();
    connect(frm.ui->mFileUjKonf, &QAction::triggered, this, &ConfigPages::mFileUjKonfClick);
    connect(frm.ui->mAblakKonfig, &QAction::triggered, this, &ConfigPages::mAblakKonfigClick);
    connect(frm.ui->mFileUjKarakt, &QAction::triggered, this, &ConfigPages::mFileUjKaraktClick);
}

ConfigPages::~ConfigPages() = default;

template <class T> T* ConfigPages::Find(const QString& name) const {
    return page->findChild<T*>(name);
}

void ConfigPages::BindHandlers() {
    auto spins = [this](const QStringList& names, void (ConfigPages::*handler)(QObject*)) {
        for (const QString& n : names)
            if (auto* s = Find<QSpinBox>(n))
                connect(s, &QSpinBox::valueChanged, this, [this, s, handler] { (this->*handler)(s); });
    };
    spins(Family("seKonfDef", "RGB") + Family("seKonfQ7Def", "RGB") + Family("seKonfQ9SubDef", "RGB") +
              Family("seKonfQ73GDef", "RGBWA") + Family("seKonfZK4Def", "RGBWA"),
          &ConfigPages::seKonfDefRChange);
    spins(Family("seKarMin", "RGB") + Family("seKonfQ7Min", "RGB") + Family("seKonfQ9SubMin", "RGB") +
              Family("seKonfQ73GMin", "RGBWA") + QStringList{"seCharZK4InMin"},
          &ConfigPages::seKarMinChange);
    spins(Family("seKarMax", "RGB") + Family("seKonfQ7Max", "RGB") + Family("seKonfQ9SubMax", "RGB") +
              Family("seKonfQ73GMax", "RGBWA") + QStringList{"seCharZK4InMax"},
          &ConfigPages::seKarMaxChange);
    spins(Family("seCharZK4OutMax", "RGBWA") + Family("seCharZK4OutMin", "RGBWA"),
          &ConfigPages::seCharZK4OtMaxRChange);
    spins(Family("seKarOffs", "RGB") + Family("seKonfQ7Offs", "RGB") + Family("seKonfQ9subOffs", "RGB") +
              Family("seKonfQ73GOffs", "RGBWA"),
          &ConfigPages::seKarOffsRChange);
    spins({"seKonfQ73GNum", "seKonfZK4Num"}, &ConfigPages::seKonfQ73GNumChange);

    for (const QString& n : Family("tbKarGam", "RGB") + Family("tbKonfQ7Gamma", "RGB") +
                                Family("tbKonfQ9subGamma", "RGB") + Family("tbKonfQ73GGamma", "RGBWA") +
                                Family("tbKonfZK4Gamma", "RGBWA"))
        if (auto* t = Find<QSlider>(n))
            connect(t, &QSlider::valueChanged, this, [this, t] { tbKarGamRChange(t); });

    for (QCheckBox* c : page->findChildren<QCheckBox*>())
        connect(c, &QCheckBox::toggled, this, [this, c] { cbKonfKelvarTulmelegClick(c); });

    auto radio = [this](const char* name, void (ConfigPages::*handler)()) {
        if (auto* r = Find<QRadioButton>(name))
            connect(r, &QRadioButton::toggled, this, [this, handler](bool on) {
                if (on) (this->*handler)();
            });
    };
    radio("rbKonfQ7Hz", &ConfigPages::rbKonfQ7HzClick);
    radio("rbKonfQ7Free", &ConfigPages::rbKonfQ7FreeClick);
    radio("rbKonfQ9rootHz", &ConfigPages::rbKonfQ9rootHzClick);
    radio("rbKonfQ9rootFree", &ConfigPages::rbKonfQ9rootFreeClick);

    for (const char* prefix : {"meSpeed", "meWait", "meKonfQ7Speed", "meKonfQ7Wait", "meKonfQ9SubSpeed",
                               "meKonfQ9SubWait", "meKonfQ73GSpeed", "meKonfQ73GWait"})
        for (int i = 1; i <= 9; ++i)
            if (auto* e = Find<QLineEdit>(QString(prefix) + QString::number(i)))
                connect(e, &QLineEdit::editingFinished, this, [this, e] { meSpeed1Exit(e); });
}

// ---- record ----

void ConfigPages::SetDefaultConfig() {
    ::SetDefaultConfig(DeviceConfig);
}

QString ConfigPages::GammaText(int position) {
    const QLocale locale;
    QString text = locale.toString(position / 10.0);
    if (position % 10 == 0) text += locale.decimalPoint() + QStringLiteral("0");
    return text;
}

// A value outside a control's range is shown clamped, and the control's
// handler writes the clamped value into the record. The toolkit runs the
// handler only when the shown value moves, so when the control already stood
// at the clamped value it is run here; otherwise the record would keep a value
// the page does not show.
void ConfigPages::ShowSpin(const QString& name, int value) {
    auto* s = Find<QSpinBox>(name);
    if (!s) return;
    const int before = s->value();
    s->setValue(value);
    if (s->value() != value && s->value() == before) emit s->valueChanged(s->value());
}

void ConfigPages::ShowCheck(const QString& name, bool checked) {
    if (auto* c = Find<QCheckBox>(name)) c->setChecked(checked);
}

void ConfigPages::ShowGamma(const QString& slider, const QString& label, double gamma) {
    auto* t = Find<QSlider>(slider);
    if (!t) return;
    const double tenths = gamma * 10.0;
    // A damaged value shows as the slider's nearest end (NaN as its lowest),
    // which goes back into the record as the spin edits' values do.
    const bool isNumber = !std::isnan(tenths);
    const int position = isNumber ? int(std::lround(std::clamp(tenths, -1e6, 1e6))) : t->minimum();
    const int before = t->value();
    t->setValue(position);
    if ((!isNumber || t->value() != position) && t->value() == before) emit t->valueChanged(t->value());
    if (auto* l = Find<QLabel>(label)) l->setText(GammaText(t->value()));
}

void ConfigPages::ShowStepTimes(const QString& speedPrefix, const QString& waitPrefix) {
    for (int i = 1; i <= 9; ++i) {
        if (auto* e = Find<QLineEdit>(speedPrefix + QString::number(i)))
            e->setText(StepUnitsToText(DeviceConfig.Speed[i]));
        if (auto* e = Find<QLineEdit>(waitPrefix + QString::number(i)))
            e->setText(StepUnitsToText(DeviceConfig.Wait[i]));
    }
}

bool ConfigPages::ReadStepTimes(const QString& speedPrefix, const QString& waitPrefix) {
    bool all = true;
    auto read = [&](const QString& name, uint16_t& stored) {
        auto* e = Find<QLineEdit>(name);
        if (!e) return;
        if (const std::optional<uint16_t> units = TryParseStepTime(e->displayText())) {
            stored = *units;
        } else {
            all = false;
            e->setText(StepUnitsToText(stored));
        }
    };
    for (int i = 1; i <= 9; ++i) {
        read(speedPrefix + QString::number(i), DeviceConfig.Speed[i]);
        read(waitPrefix + QString::number(i), DeviceConfig.Wait[i]);
    }
    return all;
}

void ConfigPages::ShowFrequency(QRadioButton* hz, QRadioButton* free, QSpinBox* number) {
    if (!hz || !free || !number) return;
    if (DeviceConfig.HzNumber != 0) {
        hz->setChecked(true);
        number->setEnabled(true);
        number->setValue(DeviceConfig.HzNumber);
    } else {
        free->setChecked(true);
        number->setValue(0);
        number->setEnabled(false);
    }
}

void ConfigPages::SetChannelVisible(const QStringList& names, bool visible) {
    for (const QString& n : names)
        if (auto* w = Find<QWidget>(n)) w->setVisible(visible);
}

bool ConfigPages::ReadConfigPage() {
    tDeviceConfig& c = DeviceConfig;
    for (int ch = 1; ch <= 3; ++ch) {
        const QChar l = QString("RGB")[ch - 1];
        if (auto* s = Find<QSpinBox>(QString("seKarMin") + l)) c.Min[ch] = uint8_t(s->value());
        if (auto* s = Find<QSpinBox>(QString("seKarMax") + l)) c.Max[ch] = uint8_t(s->value());
        if (auto* s = Find<QSpinBox>(QString("seKonfDef") + l)) c.Def[ch] = uint8_t(s->value());
        if (auto* t = Find<QSlider>(QString("tbKarGam") + l)) c.Gamma[ch] = t->value() / 10.0;
        if (auto* s = Find<QSpinBox>(QString("seKarOffs") + l)) c.Offs[ch] = uint8_t(s->value());
    }
    if (auto* b = Find<QCheckBox>("cbKonfKelvarFehEgyens")) c.WhiteBalance = b->isChecked() ? 1 : 0;
    if (auto* b = Find<QCheckBox>("cbKonfKelvarTulmeleg")) c.Overheat = b->isChecked() ? 1 : 0;
    for (int i = 1; i <= 10; ++i)
        if (auto* s = Find<QSpinBox>(QString("seBright%1").arg(i))) c.Brightness[i] = uint8_t(s->value());
    return ReadStepTimes("meSpeed", "meWait");
}

bool ConfigPages::ReadQ7StepTimes() {
    return ReadStepTimes("meKonfQ7Speed", "meKonfQ7Wait");
}

bool ConfigPages::ReadQ73GStepTimes() {
    return ReadStepTimes("meKonfQ73GSpeed", "meKonfQ73GWait");
}

bool ConfigPages::ReadQ9SubStepTimes() {
    return ReadStepTimes("meKonfQ9SubSpeed", "meKonfQ9SubWait");
}

// ---- Show functions ----

void ConfigPages::ShowConfigPage() {
    const tDeviceConfig c = DeviceConfig;  // the handlers write back while the page fills
    for (int ch = 1; ch <= 3; ++ch) {
        const QChar l = QString("RGB")[ch - 1];
        ShowSpin(QString("seKarMin") + l, c.Min[ch]);
        ShowSpin(QString("seKarMax") + l, c.Max[ch]);
        ShowSpin(QString("seKonfDef") + l, c.Def[ch]);
    }
    ShowCheck("cbKonfKelvarFehEgyens", c.WhiteBalance);
    ShowCheck("cbKonfKelvarTulmeleg", c.Overheat);
    ShowStepTimes("meSpeed", "meWait");
    for (int i = 1; i <= 10; ++i) ShowSpin(QString("seBright%1").arg(i), c.Brightness[i]);
    for (int ch = 1; ch <= 3; ++ch) {
        const QChar l = QString("RGB")[ch - 1];
        ShowGamma(QString("tbKarGam") + l, QString("lKarGam") + l, c.Gamma[ch]);
        ShowSpin(QString("seKarOffs") + l, c.Offs[ch]);
    }
    for (int ch = 1; ch <= 3; ++ch) DrawCharacteristic(ch);
}

void ConfigPages::ShowQ9RootConfig() {
    ShowCheck("cbKonfQ9rootTulmeleg", DeviceConfig.Overheat);
    ShowFrequency(Find<QRadioButton>("rbKonfQ9rootHz"), Find<QRadioButton>("rbKonfQ9rootFree"),
                  Find<QSpinBox>("seKonfQ9rootNum"));
}

void ConfigPages::ShowQ7Config() {
    const tDeviceConfig c = DeviceConfig;
    for (int ch = 1; ch <= 3; ++ch) ShowSpin(QString("seKonfQ7Def") + QString("RGB")[ch - 1], c.Def[ch]);
    ShowFrequency(Find<QRadioButton>("rbKonfQ7Hz"), Find<QRadioButton>("rbKonfQ7Free"), Find<QSpinBox>("seKonfQ7Num"));
    ShowCheck("cbKonfQ7Tulmeleg", c.Overheat);
    ShowCheck("cbKonfQ7LinKarakt", c.LinearCurve);
    ShowCheck("cbKonfQ7Infra", c.Infra);
    ShowStepTimes("meKonfQ7Speed", "meKonfQ7Wait");
    for (int ch = 1; ch <= 3; ++ch) {
        const QChar l = QString("RGB")[ch - 1];
        ShowSpin(QString("seKonfQ7Max") + l, c.Max[ch]);
        ShowSpin(QString("seKonfQ7Min") + l, c.Min[ch]);
        ShowGamma(QString("tbKonfQ7Gamma") + l, QString("lKonfQ7Gamma") + l, c.Gamma[ch]);
        ShowSpin(QString("seKonfQ7Offs") + l, c.Offs[ch]);
    }
    ShowCheck("cbKonfQ7FehEgyens", c.WhiteBalance);
}

void ConfigPages::ShowQ9SubConfig() {
    const tDeviceConfig c = DeviceConfig;
    for (int ch = 1; ch <= 3; ++ch) {
        const QChar l = QString("RGB")[ch - 1];
        ShowSpin(QString("seKonfQ9SubDef") + l, c.Def[ch]);
        ShowSpin(QString("seKonfQ9SubMin") + l, c.Min[ch]);
        ShowSpin(QString("seKonfQ9SubMax") + l, c.Max[ch]);
    }
    ShowCheck("cbKonfQ9SubLinKarakt", c.LinearCurve);
    ShowCheck("cbKonfQ9SubInfra", c.Infra);
    ShowStepTimes("meKonfQ9SubSpeed", "meKonfQ9SubWait");
    for (int ch = 1; ch <= 3; ++ch) {
        const QChar l = QString("RGB")[ch - 1];
        ShowGamma(QString("tbKonfQ9subGamma") + l, QString("lKonfQ9subGamma") + l, c.Gamma[ch]);
        ShowSpin(QString("seKonfQ9subOffs") + l, c.Offs[ch]);
    }
    ShowCheck("cbKonfQ9SubFehEgyens", c.WhiteBalance);
}

void ConfigPages::ShowQ73GConfig(uint8_t channels) {
    SetChannelVisible(Q73GChannelControls('W'), channels >= 4);
    SetChannelVisible(Q73GChannelControls('A'), channels >= 5);
    const tDeviceConfig c = DeviceConfig;
    const QString letters = "RGBWA";
    for (int ch = 1; ch <= 5; ++ch) ShowSpin(QString("seKonfQ73GDef") + letters[ch - 1], c.Def[ch]);
    ShowSpin("seKonfQ73GNum", c.HzNumber);
    ShowCheck("cbKonfQ73GTulmeleg", c.Overheat);
    ShowCheck("cbKonfQ73GLinKarakt", c.LinearCurve);
    ShowCheck("cbKonfQ73GInfra", c.Infra);
    ShowStepTimes("meKonfQ73GSpeed", "meKonfQ73GWait");
    for (int ch = 1; ch <= 5; ++ch) {
        const QChar l = letters[ch - 1];
        ShowSpin(QString("seKonfQ73GMax") + l, c.Max[ch]);
        ShowSpin(QString("seKonfQ73GMin") + l, c.Min[ch]);
        ShowGamma(QString("tbKonfQ73GGamma") + l, QString("lKonfQ73GGamma") + l, c.Gamma[ch]);
        ShowSpin(QString("seKonfQ73GOffs") + l, c.Offs[ch]);
    }
    ShowCheck("cbKonfQ73GFehEgyens", c.WhiteBalance);
}

void ConfigPages::ShowZK4Config(uint8_t channels) {
    SetChannelVisible(ZK4ChannelControls('W') + ZK4ChannelControls('A'), channels == 5);
    const tDeviceConfig c = DeviceConfig;
    const QString letters = "RGBWA";
    for (int ch = 1; ch <= 5; ++ch) ShowSpin(QString("seKonfZK4Def") + letters[ch - 1], c.Def[ch]);
    ShowSpin("seKonfZK4Num", c.HzNumber);
    ShowCheck("cbKonfZK4Tulmeleg", c.Overheat);
    ShowCheck("cbKonfZK4LinKarakt", c.LinearCurve);
    ShowSpin("seCharZK4InMax", c.Max[1]);
    ShowSpin("seCharZK4InMin", c.Min[1]);
    for (int ch = 1; ch <= 5; ++ch) {
        const QChar l = letters[ch - 1];
        ShowGamma(QString("tbKonfZK4Gamma") + l, QString("lKonfZK4Gamma") + l, c.Gamma[ch]);
        ShowSpin(QString("seCharZK4OutMax") + l, c.OutMax[ch]);
        ShowSpin(QString("seCharZK4OutMin") + l, c.OutMin[ch]);
    }
}

// ---- editor handlers ----

void ConfigPages::seKonfDefRChange(QObject* sender) {
    const int ch = ChannelIndexFromName(sender->objectName());
    DeviceConfig.Def[ch] = uint8_t(static_cast<QSpinBox*>(sender)->value());
}

void ConfigPages::seKarMinChange(QObject* sender) {
    const int ch = ChannelIndexFromName(sender->objectName());
    DeviceConfig.Min[ch] = uint8_t(static_cast<QSpinBox*>(sender)->value());
    DrawCharacteristic(ch);
}

void ConfigPages::seKarMaxChange(QObject* sender) {
    const int ch = ChannelIndexFromName(sender->objectName());
    DeviceConfig.Max[ch] = uint8_t(static_cast<QSpinBox*>(sender)->value());
    DrawCharacteristic(ch);
}

void ConfigPages::seCharZK4OtMaxRChange(QObject* sender) {
    const QString name = sender->objectName();
    const int ch = ChannelIndexFromName(name);
    const auto value = uint16_t(static_cast<QSpinBox*>(sender)->value());
    if (name.contains("Max"))
        DeviceConfig.OutMax[ch] = value;
    else if (name.contains("Min"))
        DeviceConfig.OutMin[ch] = value;
    else if (name.contains("Start"))
        DeviceConfig.OutStart[ch] = value;
    DrawCharacteristic(ch);
}

void ConfigPages::tbKarGamRChange(QObject* sender) {
    const int ch = ChannelIndexFromName(sender->objectName());
    const int position = static_cast<QSlider*>(sender)->value();
    DeviceConfig.Gamma[ch] = position / 10.0;
    DrawCharacteristic(ch);
    const QChar letter = QString("RGBWA")[ch - 1];
    for (const char* prefix : kGammaLabelPrefixes)
        if (auto* l = Find<QLabel>(QString(prefix) + letter)) l->setText(GammaText(position));
}

void ConfigPages::seKarOffsRChange(QObject* sender) {
    const int ch = ChannelIndexFromName(sender->objectName());
    DeviceConfig.Offs[ch] = uint8_t(static_cast<QSpinBox*>(sender)->value());
    DrawCharacteristic(ch);
}

void ConfigPages::cbKonfKelvarTulmelegClick(QObject* sender) {
    const QString name = sender->objectName();
    const uint8_t on = static_cast<QCheckBox*>(sender)->isChecked() ? 1 : 0;
    if (name.contains("Tulmeleg")) DeviceConfig.Overheat = on;
    if (name.contains("FehEgyens")) {
        DeviceConfig.WhiteBalance = on;
        for (int ch = 1; ch <= 3; ++ch) DrawCharacteristic(ch);
    }
    if (name == "cbKonfQ7LinKarakt" || name == "cbKonfQ9SubLinKarakt" || name == "cbKonfQ73GLinKarakt" ||
        name == "cbKonfZK4LinKarakt")
        DeviceConfig.LinearCurve = on;
    if (name == "cbKonfQ7Infra" || name == "cbKonfQ9SubInfra" || name == "cbKonfQ73GInfra") DeviceConfig.Infra = on;
}

void ConfigPages::rbKonfQ7HzClick() {
    if (auto* s = Find<QSpinBox>("seKonfQ7Num")) s->setEnabled(true);
}

void ConfigPages::rbKonfQ7FreeClick() {
    if (auto* s = Find<QSpinBox>("seKonfQ7Num")) s->setEnabled(false);
}

void ConfigPages::rbKonfQ9rootHzClick() {
    if (auto* s = Find<QSpinBox>("seKonfQ9rootNum")) s->setEnabled(true);
}

void ConfigPages::rbKonfQ9rootFreeClick() {
    if (auto* s = Find<QSpinBox>("seKonfQ9rootNum")) s->setEnabled(false);
}

void ConfigPages::seKonfQ73GNumChange(QObject* sender) {
    DeviceConfig.HzNumber = uint16_t(static_cast<QSpinBox*>(sender)->value());
}

void ConfigPages::meSpeed1Exit(QObject* sender) {
    auto* edit = static_cast<QLineEdit*>(sender);
    if (const std::optional<uint16_t> units = TryParseStepTime(edit->displayText())) {
        edit->setText(StepUnitsToText(*units));
        return;
    }
    // Not a time: the edit shows the time the record holds for its step.
    const QString name = edit->objectName();
    int digits = 0;
    while (digits < name.size() && name[name.size() - 1 - digits].isDigit()) ++digits;
    const int i = name.right(digits).toInt();
    if (i < 1 || i > 9) return;
    const bool wait = name.contains("Wait");
    edit->setText(StepUnitsToText(wait ? DeviceConfig.Wait[i] : DeviceConfig.Speed[i]));
}

// ---- menu items ----

void ConfigPages::mFileUjKonfClick() {
    if (ProgramEditor* editor = frm.programEditor.get();
        editor && editor->PrgDmxFontColour() == ProgramEditor::kDmxOnColour) {
        editor->SetPrgDmxFontColour(ProgramEditor::kDmxOffColour);
        frm.prgUi->btnPrgEszkozbe->setEnabled(true);
    }
    SetDefaultConfig();
    ShowConfigPage();
    frm.showMainPage("Konfiguracio");
    frm.konfUi->pcKarakt->setCurrentIndex(0);
    frm.ui->mFileSave->setEnabled(true);
}

bool ConfigPages::ShowPageForDeviceKind(int kind) {
    Ui::KonfigPage& k = *frm.konfUi;
    switch (kind) {
    case 1: SelectPageByCaption(k.nbKonf, "Kelvar"); break;
    case 2:
        k.pcKonfQ7->setCurrentIndex(0);
        SelectPageByCaption(k.nbKonf, "Q7");
        break;
    case 3: SelectPageByCaption(k.nbKonf, "Q9Root"); break;
    case 4:
        k.pcKonfQ9Sub->setCurrentIndex(0);
        SelectPageByCaption(k.nbKonf, "Q9Sub");
        break;
    case 7:
    case 8:
    case 9:
    case 10: SelectPageByCaption(k.nbKonf, "Q73G"); break;
    case 11:
    case 12: SelectPageByCaption(k.nbKonf, "ZK4"); break;
    default: return false;
    }
    return true;
}

void ConfigPages::mAblakKonfigClick() {
    const std::optional<int> kind = selectedDeviceKind ? selectedDeviceKind() : std::nullopt;
    if (!kind || !ShowPageForDeviceKind(*kind)) return;
    frm.showMainPage("Konfiguracio");
    frm.ui->mFileSave->setEnabled(true);
}

void ConfigPages::mFileUjKaraktClick() {
    // The characteristics have no page of their own; they are edited on the
    // model pages' tabs, so this selects nothing.
    frm.showMainPage("Karakterisztika");
}
