// The main window's status bar: language, interface contact and DMX line.
#include <QLabel>
#include <QMouseEvent>
#include <QStatusBar>

#include "app/Main.h"
#include "ui_Main.h"

void TfrmMain::setupStatusBar() {
    QStatusBar* bar = ui->StatusBar;
    const struct {
        const char* design;
        int width;
    } panels[4] = {{"Lang", 100}, {"UsbDir", 140}, {" State", 400}, {"Dmx", 50}};
    for (int i = 0; i < 4; ++i) {
        auto* panel = new QLabel(QString::fromLatin1(panels[i].design), bar);
        panel->setObjectName(QStringLiteral("StatusBarPanel%1").arg(i));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        // The bar itself sees the mouse, so that it can tell which panel is under it.
        panel->setAttribute(Qt::WA_TransparentForMouseEvents);
        // The design widths are the least; a longer text (a language's name) widens its panel.
        panel->setMinimumWidth(panels[i].width);
        bar->addWidget(panel, i == 3 ? 1 : 0);
        StatusPanels[i] = panel;
    }
    bar->setCursor(Qt::PointingHandCursor);
    bar->setMouseTracking(true);
    bar->installEventFilter(this);
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* e) {
    if (watched == ui->StatusBar) {
        if (e->type() == QEvent::MouseMove) {
            const QPoint p = static_cast<QMouseEvent*>(e)->position().toPoint();
            StatusBarMouseMove(p.x(), p.y());
        } else if (e->type() == QEvent::MouseButtonRelease) {
            auto* me = static_cast<QMouseEvent*>(e);
            if (me->button() == Qt::LeftButton && ui->StatusBar->rect().contains(me->position().toPoint())) {
                StatusBarClick();
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, e);
}

QString TfrmMain::GetInterfaceStatusText() const {
    const bool network = InterfaceKind == QLatin1String("NETWORK");
    QString s =
        (network ? QStringLiteral("NETWORK ") : QStringLiteral("USB ")) + text(59) + QStringLiteral(": ");
    const bool connected = network ? LineState.NetworkConnected != 0 : LineState.HidConnected != 0;
    if (!connected) return s + text(45);
    s += text(46);
    // A row outside the table has no name to show.
    if (network) {
        const int row = LineState.NetworkInterfaceRow;
        if (row >= 0 && row < static_cast<int>(NetworkInterfaceTypeTable.size()))
            s += QStringLiteral(" - ") + QString::fromUtf8(NetworkInterfaceTypeTable[row].name);
    } else if (LineState.InterfaceType < InterfaceTypeTable.size()) {
        s += QStringLiteral(" - ") + QString::fromUtf8(InterfaceTypeTable[LineState.InterfaceType].name);
    }
    return s;
}

void TfrmMain::ShowLineStatus() {
    int state = 42;
    if (LineState.InputSignalFlag)
        state = 61;
    else if (LineState.TransmitFlag)
        state = 62;
    statusPanel(3)->setText(text(60) + QStringLiteral(": ") + text(state));
}

void TfrmMain::StatusBarMouseMove(int X, int /*Y*/) {
    // Over the language panel the bar is a button.
    if (X < statusPanel(0)->geometry().right() + 1) {
        ui->StatusBar->setCursor(Qt::PointingHandCursor);
        StatusBarHotPanel = QStringLiteral("Nyelv");
    } else {
        ui->StatusBar->setCursor(Qt::ArrowCursor);
        StatusBarHotPanel.clear();
    }
}

void TfrmMain::StatusBarClick() {
    if (ui->StatusBar->cursor().shape() == Qt::PointingHandCursor &&
        StatusBarHotPanel == QLatin1String("Nyelv"))
        ChooseLanguage();
}
