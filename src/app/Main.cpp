#include "app/Main.h"

#include "app/Notebook.h"
#include "app/Szovegek.h"
#include "ui_KonfigPage.h"
#include "ui_Main.h"
#include "ui_ProgramPage.h"
#include "ui_RdmPage.h"
#include "views/RdmPageView.h"
#include "views/sensor_page.h"

TfrmMain::TfrmMain(QWidget* parent)
    : QMainWindow(parent),
      ui(std::make_unique<Ui::TfrmMain>()),
      rdmUi(std::make_unique<Ui::RdmPage>()),
      prgUi(std::make_unique<Ui::ProgramPage>()),
      konfUi(std::make_unique<Ui::KonfigPage>()) {
    ui->setupUi(this);
    // nbMain is a notebook: its pages are chosen by code, never by tabs.
    ui->nbMain->tabBar()->hide();
    ui->nbLogo->tabBar()->hide();
    ui->nbRxDmx->tabBar()->hide();

    auto host = [](QWidget* page, auto& form) {
        auto* w = new QWidget(page);
        form->setupUi(w);
        page->layout()->addWidget(w);
    };
    host(ui->pgRdm, rdmUi);
    host(ui->pgProgramok, prgUi);
    host(ui->pgKonfiguracio, konfUi);
    konfUi->nbKonf->tabBar()->hide();
    rdmView = new RdmPageView(this);
    new TSensorPage(this);  // the sensor tab inside tsErzekelok
}

TfrmMain::~TfrmMain() = default;

bool TfrmMain::showMainPage(const QString& caption) {
    return SelectPageByCaption(ui->nbMain, caption);
}

QString TfrmMain::mainPageCaption() const {
    return ActivePageCaption(ui->nbMain);
}

QString TfrmMain::text(int n) const {
    return TextOf(n, LanguageIndex);
}
