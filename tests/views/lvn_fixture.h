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

// A decoder configuration written the way the device keeps it: the identity,
// personality 0 of 3 slots and personality 1 of 2, then their five slot
// records; every byte after them carries its block number.
inline void WriteDeviceConfig(SimDecoderBehaviour& d) {
    for (size_t i = 816; i < d.memory.size(); ++i)
        d.memory[i] = uint8_t(i / 192);
    d.PutWord(0, 0x0102);
    d.PutLong(2, 0x00510203);
    d.PutByte(6, 2);
    d.PutByte(7, 1);
    d.PutText(8, "LVN24");
    d.PutText(41, "Maker");
    d.PutWord(74, 0x0003);
    d.PutWord(76, 0x0001);
    const struct {
        size_t at;
        uint8_t in, out;
        const char* text;
    } personalities[] = {{192, 3, 4, "RGB"}, {384, 2, 2, "Dimmer"}};
    for (const auto& p : personalities) {
        d.PutByte(p.at, p.in);
        d.PutByte(p.at + 1, p.out);
        for (uint8_t s = 0; s < 32; ++s)
            d.PutByte(p.at + 2 + s, s < p.in ? s : 255);
        d.PutWord(p.at + 98, 100);
        d.PutWord(p.at + 100, 200);
        d.PutByte(p.at + 102, 5);
        d.PutText(p.at + 103, p.text);
    }
    const struct {
        size_t at;
        uint8_t type;
        uint16_t label;
        const char* text;
    } records[] = {{576, 0, 0x0205, "Red"},
                   {624, 0, 0x0206, "Green"},
                   {672, 0, 0x0207, "Blue"},
                   {720, 0, 0x0001, "Dim"},
                   {768, 1, 0x0000, "Dim fine"}};
    for (const auto& s : records) {
        d.PutByte(s.at, s.type);
        d.PutWord(s.at + 1, s.label);
        d.PutByte(s.at + 3, 0);
        d.PutText(s.at + 4, s.text);
    }
}

// The whole program with an interface whose line holds one configurable
// decoder (7FF1:00000003, model 0x0051), found by a real discovery and scan
// and selected in the tree, so that its tab is showing.
class LvnTest : public LinkFixture {
protected:
    static constexpr uint64_t DecoderUid = 0x7FF100000003ull;

    void SetUp() override {
        LinkFixture::SetUp();
        line = StartOnLine<SimRdmDiscoveryLinkLine>();
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
            ClickItem(tree, NodeAt(tree, i));
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

    // The device-log lines written since `from` lines.
    QStringList LogFrom(int from) const { return Log().mid(from); }

    template <typename T> T* Tab(const char* name) const {
        return FindChild<T>(page->ui->eDevModDesc->parentWidget(), name);
    }
    template <typename T> T* Dlg(const char* name) const { return FindChild<T>(dlg, name); }
    template <typename T> T* Row(const char* stem, int row) const {
        return FindChild<T>(dlg, QLatin1String(stem) + QString::number(row));
    }

    tLvnConfig& Cfg() { return page->cfg; }
    tLvnHeader& Header() { return page->cfg.LvnHeader; }
    tLvnPersonality& Pers(int p) { return page->cfg.LvnPersonalities[size_t(p)]; }
    RdmState& St() { return dm->RdmGlobals(); }

    std::shared_ptr<SimRdmDiscoveryLinkLine> line;
    SimRdmResponder decoder{DecoderUid};
    SimDecoderBehaviour memory{decoder};
    TLvnPage* page = nullptr;
    TfrmLvn* dlg = nullptr;
};
