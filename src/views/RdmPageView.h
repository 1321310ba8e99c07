#pragma once

#include <QObject>
#include <cstdint>
#include <memory>

namespace Ui {
class RdmPage;
class SpecialTab;
}  // namespace Ui

class TfrmMain;
class QTreeWidget;
struct tRdmDevice;

// The RDM page of the main window: the device tree, the logs, the discovery
// buttons and the parameter tabs. It works on the page's widgets (the main
// window's `rdmUi`) and hosts the Special tab's form inside `tsSpecial`.
class RdmPageView : public QObject {
    Q_OBJECT

public:
    explicit RdmPageView(TfrmMain* mainWindow);
    ~RdmPageView() override;

    TfrmMain* frmMain;
    Ui::RdmPage* ui;
    std::unique_ptr<Ui::SpecialTab> specUi;
};
