#include "lvn_fixture.h"

// The decoder's tab and personality dialog, driven through their widgets.
class LvnEditor : public LvnTest {
protected:
    // One personality of n slots, shown in the dialog.
    void Open(int slotCount, int outChannels = 4) {
        Header().personalityCount = 1;
        Pers(0).inChannelCount = uint8_t(slotCount);
        Pers(0).outChannelCount = uint8_t(outChannels);
        dlg->show();
    }
    void TearDown() override {
        dlg->close();
        LvnTest::TearDown();
    }
    QString RowCaption(int row) const { return Row<QLabel>("lChSor", row)->text(); }
};

TEST_F(LvnEditor, PersonalityButtonFollowsTheCount) {
    Header().personalityCount = 0;
    page->ShowLvnHeader();
    auto* button = Tab<QPushButton>("btnPersSettings");
    EXPECT_FALSE(button->isEnabled());
    Tab<QSpinBox>("seTotPers")->setValue(1);
    EXPECT_TRUE(button->isEnabled());
    EXPECT_EQ(Header().personalityCount, 1);
    Tab<QSpinBox>("seTotPers")->setValue(0);
    EXPECT_FALSE(button->isEnabled());

    Header().personalityCount = 3;
    dlg->show();
    EXPECT_EQ(Dlg<QComboBox>("cbSelPers")->count(), 3);
    EXPECT_EQ(Dlg<QComboBox>("cbSelPers")->itemText(2), "3");
}

TEST_F(LvnEditor, RowsAndScrollBarFollowTheSlotCount) {
    const struct {
        int slotCount;
        std::array<QString, 3> captions;
        bool scroll;
        int scrollMax;
    } cases[] = {
        {0, {"-", "-", "-"}, false, 0},   {1, {"1.", "-", "-"}, false, 0},
        {2, {"1.", "2.", "-"}, false, 0}, {3, {"1.", "2.", "3."}, false, 0},
        {4, {"1.", "2.", "3."}, true, 1}, {10, {"1.", "2.", "3."}, true, 7},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.slotCount);
        Open(k.slotCount);
        for (int r = 1; r <= 3; ++r) {
            EXPECT_EQ(RowCaption(r), k.captions[size_t(r - 1)]);
            const bool on = k.slotCount >= r;
            for (const char* stem : {"cbSlotType", "cbSlotLabID", "seSlotDef", "eSlotDesc", "cbType",
                                     "cbOutChNr", "cbReserv", "cbMaster", "cbSrob", "lSlotType", "lSlotLabID",
                                     "lSlotDef", "lSlotDesc", "lType", "lOutChNr"})
                EXPECT_EQ(Row<QWidget>(stem, r)->isEnabled(), on) << stem << r;
        }
        auto* bar = Dlg<QScrollBar>("sbPersChs");
        EXPECT_EQ(bar->isEnabled(), k.scroll);
        if (k.scroll) {
            EXPECT_EQ(bar->maximum(), k.scrollMax);
        }
        dlg->close();
    }
}

TEST_F(LvnEditor, ScrollingAndLoweringTheCountMoveTheWindow) {
    Open(10);
    Dlg<QScrollBar>("sbPersChs")->setValue(7);
    EXPECT_EQ(RowCaption(1), "8.");
    EXPECT_EQ(RowCaption(3), "10.");
    Dlg<QSpinBox>("seInChNr")->setValue(5);
    EXPECT_EQ(Pers(0).inChannelCount, 5);
    EXPECT_EQ(dlg->LvnFirstVisibleSlot, 2);
    EXPECT_EQ(RowCaption(1), "3.");
    EXPECT_EQ(Dlg<QScrollBar>("sbPersChs")->maximum(), 2);
    // The rows edit the slots they show.
    Row<QSpinBox>("seSlotDef", 3)->setValue(99);
    EXPECT_EQ(Pers(0).slotInfo[4].defaultValue, 99);
    // Two slots leave no scroll bar: the window must show them.
    Dlg<QSpinBox>("seInChNr")->setValue(2);
    EXPECT_EQ(RowCaption(1), "1.");
    Row<QSpinBox>("seSlotDef", 2)->setValue(42);
    EXPECT_EQ(Pers(0).slotInfo[1].defaultValue, 42);
}

TEST_F(LvnEditor, OutChannelLists) {
    const struct {
        uint8_t stored;
        QString shown;
    } cases[] = {{255, "-"}, {3, "-"}, {5, "-"}, {0, "1"}, {2, "3"}};
    for (const auto& k : cases) {
        Pers(0).outChannel[0] = k.stored;
        Open(1, 3);
        auto* list = Row<QComboBox>("cbOutChNr", 1);
        EXPECT_EQ(list->count(), 4);
        EXPECT_EQ(list->currentText(), k.shown) << int(k.stored);
        EXPECT_EQ(Pers(0).outChannel[0], k.stored) << "showing it keeps it";
        dlg->close();
    }
    Open(1, 3);
    Row<QComboBox>("cbOutChNr", 1)->setCurrentIndex(2);
    EXPECT_EQ(Pers(0).outChannel[0], 1);
    Row<QComboBox>("cbOutChNr", 1)->setCurrentIndex(0);
    EXPECT_EQ(Pers(0).outChannel[0], 255);
    // More outputs give longer lists.
    Dlg<QSpinBox>("seOutChNr")->setValue(6);
    EXPECT_EQ(Pers(0).outChannelCount, 6);
    EXPECT_EQ(Row<QComboBox>("cbOutChNr", 3)->count(), 7);
}

// A primary slot is labelled from the label table; a secondary slot names the
// primary slot it belongs to by its offset.
TEST_F(LvnEditor, SlotLabelListsByType) {
    Open(4);
    Dlg<QScrollBar>("sbPersChs")->setValue(1); // rows 1..3 show slots 1..3
    Pers(0).slotInfo[3].slotLabelId = 0x0101;
    const struct {
        int row;
        int type;
        QStringList items;
    } cases[] = {{3, 1, {"1", "2", "3"}}, {1, 1, {"1"}}, {3, 0, SlotLabelItems()}};
    for (const auto& k : cases) {
        Row<QComboBox>("cbSlotType", k.row)->setCurrentIndex(k.type);
        auto* list = Row<QComboBox>("cbSlotLabID", k.row);
        QStringList items;
        for (int i = 0; i < list->count(); ++i)
            items << list->itemText(i);
        EXPECT_EQ(items, k.items) << k.row << ' ' << k.type;
    }
    EXPECT_EQ(Pers(0).slotInfo[3].slotLabelId, 0x0101) << "a new type keeps the label";
    EXPECT_EQ(Row<QComboBox>("cbSlotLabID", 3)->currentText(), "PAN");

    Row<QComboBox>("cbSlotLabID", 3)->setCurrentIndex(21);
    EXPECT_EQ(Pers(0).slotInfo[3].slotLabelId, 0x0404) << "STROBE";
    Row<QComboBox>("cbSlotType", 3)->setCurrentIndex(1);
    EXPECT_EQ(Pers(0).slotInfo[3].slotType, 0x01);
    Row<QComboBox>("cbSlotLabID", 3)->setCurrentIndex(2);
    EXPECT_EQ(Pers(0).slotInfo[3].slotLabelId, 2) << "the third slot's offset";
    Row<QComboBox>("cbSlotType", 3)->setCurrentIndex(8);
    EXPECT_EQ(Pers(0).slotInfo[3].slotType, 0xFF);
    EXPECT_EQ(Row<QComboBox>("cbSlotLabID", 3)->currentText(), "3") << "the stored offset is selected";

    // Slot 0 has no slot before it.
    Dlg<QScrollBar>("sbPersChs")->setValue(0);
    Row<QComboBox>("cbSlotType", 1)->setCurrentIndex(1);
    EXPECT_EQ(Row<QComboBox>("cbSlotLabID", 1)->count(), 0);
}

TEST_F(LvnEditor, FlagBoxesChangeOneBitEach) {
    Header().flags = 0xFF03;
    Header().secondFlags = 0x8001;
    page->ShowLvnHeader();
    Pers(0).outputFlags[0] = 0xF0;
    Open(1);
    const struct {
        QCheckBox* box;
        bool checked;
        uint16_t* word;
        uint16_t expected;
    } header[] = {
        {Tab<QCheckBox>("cbSensCont"), false, &Header().flags, 0xFF02},
        {Tab<QCheckBox>("cbSensTemp"), false, &Header().flags, 0xFF00},
        {Tab<QCheckBox>("cbSensCont"), true, &Header().flags, 0xFF01},
        {Tab<QCheckBox>("cbFactDef"), false, &Header().secondFlags, 0x8000},
    };
    for (const auto& k : header) {
        k.box->setChecked(k.checked);
        EXPECT_EQ(*k.word, k.expected) << k.box->objectName().toStdString();
    }
    const struct {
        const char* stem;
        bool checked;
        uint8_t expected;
    } slot[] = {{"cbReserv", true, 0xF1},
                {"cbMaster", true, 0xF3},
                {"cbSrob", true, 0xF7},
                {"cbReserv", false, 0xF6}};
    for (const auto& k : slot) {
        Row<QCheckBox>(k.stem, 1)->setChecked(k.checked);
        EXPECT_EQ(Pers(0).outputFlags[0], k.expected) << k.stem;
    }
}

TEST_F(LvnEditor, CategoryLists) {
    auto* category = Tab<QComboBox>("cbProdCat");
    auto* fine = Tab<QComboBox>("cbProdFineCat");
    category->setCurrentIndex(13);
    EXPECT_EQ(Header().productCategory, 0x7FFF);
    EXPECT_EQ(fine->count(), 1);
    EXPECT_EQ(fine->currentText(), "-");
    category->setCurrentIndex(1);
    EXPECT_EQ(Header().productCategory, 0x0100);
    EXPECT_EQ(fine->count(), 5);
    fine->setCurrentIndex(4);
    EXPECT_EQ(Header().productCategory, 0x01FF);
    fine->setCurrentIndex(2);
    EXPECT_EQ(Header().productCategory, 0x0102);

    // Showing a code that no item names selects "-" and keeps the code.
    Header().productCategory = 0x0104;
    page->ShowLvnHeader();
    EXPECT_EQ(category->currentText(), "FIXTURE");
    EXPECT_EQ(fine->currentText(), "-");
    EXPECT_EQ(Header().productCategory, 0x0104);
    Header().productCategory = 0x7FFF;
    page->ShowLvnHeader();
    EXPECT_EQ(category->currentText(), "OTHER");
    EXPECT_EQ(Header().productCategory, 0x7FFF);
}

TEST_F(LvnEditor, StrobeGroupFollowsTheStroboSlots) {
    Pers(0).strobeMin = 10;
    Pers(0).strobeMax = 500;
    Pers(0).strobeOpenTime = 3;
    Open(2);
    auto* group = Dlg<QWidget>("gbStrobe");
    auto values = [this] {
        return std::array<int, 3>{Dlg<QSpinBox>("seStrobMin")->value(), Dlg<QSpinBox>("seStrobMax")->value(),
                                  Dlg<QSpinBox>("seStrobOpen")->value()};
    };
    EXPECT_FALSE(group->isEnabled());
    EXPECT_EQ(values(), (std::array<int, 3>{0, 0, 0}));
    Row<QComboBox>("cbType", 2)->setCurrentIndex(2);
    EXPECT_EQ(Pers(0).outputType[1], 2);
    EXPECT_TRUE(group->isEnabled());
    EXPECT_EQ(values(), (std::array<int, 3>{10, 500, 3}));
    Dlg<QSpinBox>("seStrobMax")->setValue(800);
    Dlg<QSpinBox>("seStrobOpen")->setValue(9);
    EXPECT_EQ(Pers(0).strobeMax, 800);
    EXPECT_EQ(Pers(0).strobeOpenTime, 9);
    Row<QComboBox>("cbType", 2)->setCurrentIndex(0);
    EXPECT_FALSE(group->isEnabled());
    EXPECT_EQ(Pers(0).strobeMax, 800) << "disabled, the group shows zeros but keeps the values";
    // A STROBO slot past the count does not count.
    Pers(0).outputType[5] = 2;
    dlg->close();
    Open(2);
    EXPECT_FALSE(group->isEnabled());
}

// Showing the records in the dialog leaves them as they were, even where the
// lists have no item for a stored value.
TEST_F(LvnEditor, ShowingTheDialogDoesNotEditTheRecords) {
    tLvnSlot& slot = Pers(0).slotInfo[0];
    slot = {0x08, 0x0000, 17, "odd"};
    Pers(0).slotInfo[1] = {0x01, 0x0205, 0, "fine"};
    Pers(0).outChannel[0] = 5;
    Pers(0).outputType[0] = 7;
    Open(2, 3);
    EXPECT_EQ(Row<QComboBox>("cbSlotType", 1)->currentText(), "SEC_UNDEFINED");
    EXPECT_EQ(Row<QComboBox>("cbSlotLabID", 2)->currentIndex(), -1) << "no slot before it has that offset";
    Dlg<QPushButton>("btnClose")->click();
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(slot.slotType, 0x08);
    EXPECT_EQ(slot.slotLabelId, 0x0000);
    EXPECT_EQ(Pers(0).slotInfo[1].slotLabelId, 0x0205);
    EXPECT_EQ(Pers(0).outChannel[0], 5);
    EXPECT_EQ(Pers(0).outputType[0], 7);
    EXPECT_EQ(slot.description, "odd");
}

TEST_F(LvnEditor, AutoDiscoveryBoxShowsAndResetsItsCounter) {
    auto* box = w->rdmUi->cbTestAutoDisc;
    auto* counter = w->rdmUi->lAutoDisc;
    w->rdmView->AutoDiscoveryCount = 5;
    box->setChecked(true);
    EXPECT_EQ(w->rdmView->AutoDiscoveryCount, 0);
    EXPECT_TRUE(counter->isVisibleTo(w));
    box->setChecked(false);
    EXPECT_FALSE(counter->isVisibleTo(w));
}
