#pragma once

#include <QMainWindow>
#include <QString>
#include <memory>

namespace Ui {
class TfrmMain;
class RdmPage;
class ProgramPage;
class KonfigPage;
}  // namespace Ui

class TDM;
class RdmPageView;

// The main window. Its page notebook `nbMain` holds the pages "Logo", "Send",
// "Programok", "Konfiguracio", "RDM", "RxDmx" and "RfDMXRx"; the larger pages
// are forms of their own, set up inside the page containers, so that every
// control keeps its name and can be found from the window.
class TfrmMain : public QMainWindow {
    Q_OBJECT

public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    // The data module is created after the main window; it is handed over here.
    void setDataModule(TDM* dm) { DM = dm; }
    TDM* dataModule() const { return DM; }

    // Shows the notebook page of nbMain with this caption (ignoring case).
    bool showMainPage(const QString& caption);
    QString mainPageCaption() const;

    // Text n (1..123) of the text table in the current language.
    QString text(int n) const;

    // Language of every caption and log text: 1 Hungarian, 2 English, 3 German.
    int LanguageIndex = 2;

    // 1 while code fills the program editor's controls: the editor's change
    // handlers then ignore the changes.
    int UpdatingControls = 0;

    std::unique_ptr<Ui::TfrmMain> ui;
    std::unique_ptr<Ui::RdmPage> rdmUi;
    std::unique_ptr<Ui::ProgramPage> prgUi;
    std::unique_ptr<Ui::KonfigPage> konfUi;
    RdmPageView* rdmView = nullptr;  // the RDM page's handlers; owned by this window

private:
    TDM* DM = nullptr;
};
