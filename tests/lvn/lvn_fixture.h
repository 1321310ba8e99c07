#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <deque>

#include "link/LinkFixture.h"
#include "rdm/RdmState.h"
#include "support/log_access.h"
#include "support/sim/rdm_decoder_responder.h"
#include "support/sim/rdm_discovery_link.h"
#include "ui_Lvn.h"
#include "ui_Lvn24Conf.h"
#include "ui_RdmPage.h"
#include "views/DeviceTree.h"
#include "views/Lvn.h"
#include "views/RdmPageView.h"
#include "views/lvn_page.h"

using ByteList = std::vector<uint8_t>;

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

// The whole program with an interface whose line holds one configurable
// decoder (7FF1:00000003, model 0x0051), found by a real discovery and scan
// and selected in the tree, so that its tab is showing.
class LvnTest : public LinkFixture {
protected:
    static constexpr uint64_t DecoderUid = 0x7FF100000003ull;

    void SetUp() override {
        LinkFixture::SetUp();
        box = platform->PlugInterface(0);
        Start();
        line = std::make_shared<SimRdmDiscoveryLinkLine>();
        box->line = line;
        simdev::Basic(decoder, 0x0051, "LVN24", "Maker", {0x0080, 0x0081});
        line->Add(decoder);
        page = TLvnPage::of(w);
        dlg = w->frmLvn;
        ASSERT_NE(page, nullptr);
        ASSERT_NE(dlg, nullptr);
    }

    // Discovers the line and selects the decoder with a click on its node.
    void DiscoverAndSelect() {
        QTest::mouseClick(w->rdmUi->btnDiscovery, Qt::LeftButton);
        Settle();
        QTreeWidget* tree = w->rdmUi->tvDeviceList;
        for (int i = 0; i < NodeCount(tree); ++i) {
            if (w->rdmView->RecordAt(i)->uid != DecoderUid) continue;
            const QRect r = tree->visualItemRect(NodeAt(tree, i));
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, r.center());
            Settle();
        }
        QTabWidget* pc = w->rdmUi->pcRdm;
        ASSERT_TRUE(pc->isTabVisible(pc->indexOf(w->rdmUi->tsLvn24Conf)));
        pc->setCurrentWidget(w->rdmUi->tsLvn24Conf);
    }

    // Runs the event loop until the transfer's answers and pauses are over.
    void Finish() { ASSERT_TRUE(platform->WaitIdle(60000)); }

    void Get() {
        page->ui->btnGet->click();
        Finish();
    }
    void Set() {
        page->ui->btnSet->click();
        Finish();
    }

    QStringList Log() const { return DeviceLogLines(w); }
    // The device-log lines written since `from` lines.
    QStringList LogFrom(int from) const { return Log().mid(from); }

    template <typename T> T* In(QWidget* parent, const QString& name) const {
        T* widget = parent->findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }
    template <typename T> T* Tab(const char* name) const {
        return In<T>(page->ui->eDevModDesc->parentWidget(), name);
    }
    template <typename T> T* Dlg(const char* name) const { return In<T>(dlg, name); }
    template <typename T> T* Row(const char* stem, int row) const {
        return In<T>(dlg, QLatin1String(stem) + QString::number(row));
    }

    tLvnConfig& Cfg() { return page->cfg; }
    tLvnHeader& Header() { return page->cfg.LvnHeader; }
    tLvnPersonality& Pers(int p) { return page->cfg.LvnPersonalities[size_t(p)]; }
    RdmState& St() { return dm->RdmGlobals(); }

    std::shared_ptr<sim::SimInterface> box;
    std::shared_ptr<SimRdmDiscoveryLinkLine> line;
    SimRdmResponder decoder{DecoderUid};
    SimDecoderBehaviour memory{decoder};
    TLvnPage* page = nullptr;
    TfrmLvn* dlg = nullptr;
};
