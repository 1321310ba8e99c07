#include "app/Main.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QShowEvent>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>

#include "app/Nevjegy.h"
#include "app/Notebook.h"
#include "app/Szovegek.h"
#include "link/DataModule.h"
#include "link/network.h"
#include "maker/ConfigPages.h"
#include "maker/ProgramEditor.h"
#include "maker/RdmUpload.h"
#include "maker/SendPage.h"
#include "maker/monitor.h"
#include "maker/rfdmx.h"
#include "ui_KonfigPage.h"
#include "ui_Main.h"
#include "ui_ProgramPage.h"
#include "ui_RdmPage.h"
#include "views/RdmPageView.h"
#include "views/SpecialTab.h"
#include "views/dmx_channel_map.h"
#include "views/lvn_page.h"
#include "views/rdm_set.h"
#include "views/remacc.h"
#include "views/sensor_page.h"

// The logo pictures are compiled into the core library; a static library's
// resources must be registered by hand before the first use.
static void initLogoResources() {
    Q_INIT_RESOURCE(logos);
}

namespace {

// Posted (with high priority) by the first show of the window, so that the
// start-up work runs from the event loop once the window is up, ahead of any
// notice that other parts posted while the program was being built.
const QEvent::Type FormActivateEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

const QString ProtocolVersionHint = QStringLiteral(
    "This field contains the version number of the published RDM Standard supported by the device.\r\n"
    "The value for these version fields are controlled by this standard and any subsequent revisions\r\n"
    "or additions to this standard as issued in the future.");

// Every hint of the program stays up this long, so that the longer ones can be read.
constexpr int HintDisplayTime = 25000;

// Qt has no application-wide hint time: each widget carries its own. This
// gives it to every widget when it is polished, which happens before its
// first show, so dialogs and controls made later get it as well.
class HintTimeFilter : public QObject {
public:
    using QObject::QObject;

    static void Apply(QWidget* w) {
        if (w->toolTipDuration() < 0) w->setToolTipDuration(HintDisplayTime);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Polish && watched->isWidgetType()) Apply(static_cast<QWidget*>(watched));
        return false;
    }
};

} // namespace

QString ProgramVersionText() {
    return QStringLiteral("v.%1.%2.%3").arg(VersionMajor).arg(VersionMinor).arg(VersionRelease);
}

TfrmMain::TfrmMain(QWidget* parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::TfrmMain>()), rdmUi(std::make_unique<Ui::RdmPage>()),
      prgUi(std::make_unique<Ui::ProgramPage>()), konfUi(std::make_unique<Ui::KonfigPage>()) {
    initLogoResources();
    ui->setupUi(this);
    // nbMain is a notebook: its pages are chosen by code, never by tabs.
    ui->nbMain->tabBar()->hide();
    ui->nbLogo->tabBar()->hide();
    ui->nbRxDmx->tabBar()->hide();
    // The logo notebook keeps the size of its pictures and sits in the middle of the page.
    ui->nbLogo->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    ui->pgLogoLayout->setAlignment(ui->nbLogo, Qt::AlignCenter);
    // A menu's own visibility is that of its entry in the parent menu.
    ui->mFileNew->menuAction()->setVisible(false);

    auto host = [](QWidget* page, auto& form) {
        auto* w = new QWidget(page);
        form->setupUi(w);
        page->layout()->addWidget(w);
    };
    host(ui->pgRdm, rdmUi);
    host(ui->pgProgramok, prgUi);
    host(ui->pgKonfiguracio, konfUi);
    konfUi->nbKonf->tabBar()->hide();
    programEditor = std::make_unique<ProgramEditor>(*this);
    configPages = std::make_unique<ConfigPages>(*this);
    rdmView = new RdmPageView(this);
    new TSensorPage(this);      // the sensor tab inside tsErzekelok
    new TRdmSetCommands(this);  // the Modify buttons of the parameter page
    new TDmxChannelMap(this);   // the channel grid of tsDmxKiosztas
    new TRemoteAccess(this);    // the display and keys of tsRemoteAccess
    new TSpecialTab(this);      // the maker's modes on the Special tab
    new TMakerRdm(this);        // programs and configurations to and from the maker's devices
    new TLvnPage(this);         // the decoder tab inside tsLvn24Conf

    setupStatusBar();
    setupTimers();
    connectHandlers();
    sendPage = std::make_unique<TSendPage>(*this); // after the timers it answers
    new TRxDmxPage(this); // the received-DMX monitor inside pgRxDmx (uses the window's timers)
    new TRfDmxPage(this); // the RF-DMX tabs inside pcDmxRf
}

TfrmMain::~TfrmMain() {
    FormDestroy();
}

void TfrmMain::setStartOptions(const QString& appDir, const QStringList& arguments) {
    appDirOption = appDir;
    ProgramArguments = arguments;
}

bool TfrmMain::showMainPage(const QString& caption) {
    return SelectPageByCaption(ui->nbMain, caption);
}

QString TfrmMain::mainPageCaption() const {
    return ActivePageCaption(ui->nbMain);
}

QString TfrmMain::text(int n) const {
    return TextOf(n, LanguageIndex);
}

void TfrmMain::setupTimers() {
    auto make = [this](const char* name, int ms, bool singleShot) {
        auto* t = new QTimer(this);
        t->setObjectName(QString::fromLatin1(name));
        t->setInterval(ms);
        t->setSingleShot(singleShot);
        return t;
    };
    tmrFileSendStart = make("tmrFileSendStart", 200, true);
    tmrDmxData = make("tmrDmxData", 1, false);
    tmrDmxSzunVizsg = make("tmrDmxSzunVizsg", 1000, true);
    tmrRx = make("tmrRx", 1000, false);
}

void TfrmMain::connectHandlers() {
    connect(ui->nbMain, &QTabWidget::currentChanged, this, [this] { nbMainPageChanged(); });
    connect(tmrDmxSzunVizsg, &QTimer::timeout, this, [this] { tmrDmxSzunVizsgTimer(); });
    connect(ui->mAblakLogo, &QAction::triggered, this, [this] { mAblakLogoClick(); });
    connect(ui->mExit, &QAction::triggered, this, [this] { mExitClick(); });
    connect(ui->mAbout, &QAction::triggered, this, [this] { mAboutClick(); });
    connect(ui->mSetupLang, &QAction::triggered, this, [this] { mSetupLangClick(); });
    connect(ui->mSetupInterface, &QAction::triggered, this, [this] { mSetupInterfaceClick(); });
}

void TfrmMain::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (!formActivated && !formActivatePosted) {
        formActivatePosted = true;
        QCoreApplication::postEvent(this, new QEvent(FormActivateEvent), Qt::HighEventPriority);
    }
}

bool TfrmMain::event(QEvent* e) {
    if (e->type() == FormActivateEvent) {
        FormActivate();
        return true;
    }
    return QMainWindow::event(e);
}

void TfrmMain::applyBrand() {
    const uint8_t flags = BrandRow.flags;
    // Hidden at design; a brand without the feature leaves them hidden.
    if (flags & BrandFlagStepMode) prgUi->cbStep->setVisible(true);
    if (flags & BrandFlagBrightness) konfUi->gbKonfKelvarBrightness->setVisible(true);
    rdmUi->btnDemoDisc->setVisible((flags & BrandFlagDemo) != 0);
    // Without the demo button the discovery button takes its place as well.
    if (!(flags & BrandFlagDemo)) rdmUi->btnDiscovery->setMinimumWidth(241);
}

void TfrmMain::FormActivate() {
    if (formActivated) return;
    formActivated = true;

    // 1. Caption with the version.
    setWindowTitle(QStringLiteral("Tamarind ") + ProgramVersionText());

    // 2. The folder of the settings file.
    AppDir = appDirOption.isEmpty() ? QCoreApplication::applicationDirPath() : appDirOption;
    if (!AppDir.endsWith('/')) AppDir += '/';

    // 3. Brand-dependent controls.
    applyBrand();

    // 4. The brand's logo page; the page layout keeps nbLogo centred in nbMain.
    SelectPageByCaption(ui->nbLogo, QString::fromUtf8(BrandRow.name));

    // 5.
    showMainPage(QStringLiteral("Logo"));
    UpdatingControls = 1;

    // 6. Settings: read them, or ask for the language on a first start.
    if (QFileInfo::exists(settingsFileName())) {
        ReadSettings();
        UpdatingControls = 0;
    } else {
        FirstStartSettings();
    }

    // 7. The RDM page starts on its first tab; the device-dependent tabs
    // appear when a device that has them is selected.
    rdmUi->pcRdm->setCurrentIndex(0);
    rdmUi->pcRdm->setTabVisible(rdmUi->pcRdm->indexOf(rdmUi->tsSpecial), false);
    rdmUi->pcRdm->setTabVisible(rdmUi->pcRdm->indexOf(rdmUi->tsRemoteAccess), false);
    rdmUi->pcRdm->setTabVisible(rdmUi->pcRdm->indexOf(rdmUi->tsLvn24Conf), false);

    // 8.
    showMainPage(QStringLiteral("RDM"));

    // 9. Captions, menus, then the editors' defaults, in this order:
    ApplyLanguage();
    EnableWindowMenus();
    programEditor->InitPrograms();
    programEditor->SelectFirstProgram();
    programEditor->ShowProgram();
    configPages->SetDefaultConfig();
    configPages->ShowConfigPage();
    InitDmxMapGrid();

    // 10. A file named on the command line is shown on the send page (it is
    // sent when the interface arrives).
    if (!ProgramArguments.isEmpty()) {
        sendPage->OpenDialog1.FileName = ProgramArguments.first();
        sendPage->ShowSendPage();
    }

    // 11. RF-DMX and received-DMX views are offered only by the interfaces that have them.
    ui->mAblakDmxRFSet->setVisible(false);
    ui->mAblakRxDmx->setVisible(false);
    ui->pcDmxRf->setCurrentIndex(0);
    ui->pcDmxRf->setTabVisible(ui->pcDmxRf->indexOf(ui->tsRemCont), false);
    ui->pcDmxRf->setTabVisible(ui->pcDmxRf->indexOf(ui->tsRemContTrain), false);

    // 12. Hints stay up 25 s, in every window; the widgets that exist
    // already get the time now, the ones made later when they are polished.
    QCoreApplication::instance()->installEventFilter(new HintTimeFilter(this));
    for (QWidget* w : QApplication::allWidgets())
        HintTimeFilter::Apply(w);

    // 13. The RDM protocol version explains itself.
    for (QWidget* w : {static_cast<QWidget*>(rdmUi->lRdmProtVerD), static_cast<QWidget*>(rdmUi->sRdmProtVer),
                       static_cast<QWidget*>(rdmUi->lRdmProtVerLab)})
        w->setToolTip(ProtocolVersionHint);
}

void TfrmMain::FormDestroy() {
    if (formDestroyed) return;
    formDestroyed = true;
    if (rdmView) rdmView->FreeDeviceRecords();
    if (DM) {
        DM->Network().StopDiscoveryServer();
        DM->Network().StopDiscoveryClient();
    }
    // Nothing is written to the settings file at exit.
}

void TfrmMain::nbMainPageChanged() {
    if (mainPageCaption().compare(QStringLiteral("RDM"), Qt::CaseInsensitive) == 0 &&
        rdmUi->pcRdm->currentWidget() == rdmUi->tsErzekelok) {
        if (TSensorPage* sensors = TSensorPage::of(this)) sensors->StartSensorPolling();
    }
    ui->mFileSave->setVisible(mainPageCaption().compare(QStringLiteral("Programok"), Qt::CaseInsensitive) ==
                              0);
}

void TfrmMain::tmrDmxSzunVizsgTimer() {
    if (mainPageCaption().compare(QStringLiteral("RDM"), Qt::CaseInsensitive) != 0)
        showMainPage(QStringLiteral("Logo"));
    tmrDmxSzunVizsg->stop();
    LineState.InputSignalFlag = 0;
    LineState.ReceiverKindKnown = 0;
    LineState.DetectFrameCount = 0;
    LineState.LedDriverHits = 0;
    ShowLineStatus();
    LineState.DmxFrame.fill(0);
}

void TfrmMain::EnableWindowMenus() {
    ui->mAblakRdm->setEnabled(true);
    ui->mAblakKonfig->setEnabled(true);
    ui->mAblakProg->setEnabled(true);
}

void TfrmMain::InitDmxMapGrid() {
    QTableWidget* grid = rdmUi->StringGrid1;
    for (int c = 0; c <= 21 && c < grid->columnCount(); ++c) {
        for (int r = 0; r <= 23 && r < grid->rowCount(); ++r) {
            const int index = r * 22 + c;
            if (index >= 512) continue; // the cells past channel 512 keep their text
            QTableWidgetItem* item = grid->item(r, c);
            if (!item) {
                item = new QTableWidgetItem;
                grid->setItem(r, c, item);
            }
            item->setText(QString::number(index + 1));
        }
    }
    for (tDmxChannel& ch : DmxChannelMap)
        ch.colour = DmxChannelFree;
}

void TfrmMain::mAblakLogoClick() {
    showMainPage(QStringLiteral("Logo"));
    ui->mFileSave->setEnabled(false);
    tmrRx->stop();
}

void TfrmMain::mExitClick() {
    close();
}

void TfrmMain::mAboutClick() {
    if (frmNevjegy) frmNevjegy->ShowModal();
}

void TfrmMain::LogLine(const QString& line) {
    if (rdmView) rdmView->AddDeviceListLine(line);
}
