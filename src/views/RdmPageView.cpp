#include "views/RdmPageView.h"

#include <QVBoxLayout>

#include "app/Main.h"
#include "ui_RdmPage.h"
#include "ui_SpecialTab.h"

RdmPageView::RdmPageView(TfrmMain* mainWindow)
    : QObject(mainWindow), frmMain(mainWindow), ui(mainWindow->rdmUi.get()), specUi(std::make_unique<Ui::SpecialTab>()) {
    auto* special = new QWidget(ui->tsSpecial);
    specUi->setupUi(special);
    ui->tsSpecial->layout()->addWidget(special);
    // The Special notebook's pages are chosen by device kind, never by the user.
    specUi->nbRdmSpecial->tabBar()->hide();
}

RdmPageView::~RdmPageView() = default;
