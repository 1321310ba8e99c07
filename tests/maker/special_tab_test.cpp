#include <QCheckBox>
#include <QRadioButton>

#include "app/Main.h"
#include "maker_fixture.h"

// The Special tab through the real window and a simulated maker device.
class SpecialTabTest : public MakerRdmFixture {};

TEST_F(SpecialTabTest, SendBuildsTheModeFrameOfEachPage) {
    struct Case {
        uint8_t kind;
        std::function<void(SpecialTabTest&)> choose;
        uint16_t pid;
        uint8_t op;
        Data data;
    };
    const Case cases[] = {
        {1,
         [](SpecialTabTest& t) {
             t.Spec().rbModeMaster->setChecked(true);
             t.tab->SetItemIndex(t.Spec().rgProgram, 8);
             t.tab->SetItemIndex(t.Spec().rgSpeed, 5);
             t.Spec().cbFade->setChecked(true);
             t.tab->SetItemIndex(t.Spec().rgBrightness, 9);
         },
         0x8000,
         RdmOpKelvarSetup,
         {0x55, 0xAA, 0xEE, 0x01, 0x09, 0x05, 0x01, 0x09}},
        {1,
         [](SpecialTabTest& t) {
             t.Spec().rbModeSingle->setChecked(true);
             t.tab->SetItemIndex(t.Spec().rgProgram, 0);
             t.tab->SetItemIndex(t.Spec().rgSpeed, 0);
             t.Spec().cbFade->setChecked(false);
             t.tab->SetItemIndex(t.Spec().rgBrightness, 0);
         },
         0x8000,
         RdmOpKelvarSetup,
         {0x55, 0xAA, 0xEE, 0x00, 0x01, 0x00, 0x00, 0x00}},
        {2,
         [](SpecialTabTest& t) {
             t.tab->SetItemIndex(t.Spec().rgRdmSpecQ7Prog, 0);
             t.Spec().meRdmSpecQ7Speed->setText("00:01.00");
             t.Spec().meRdmSpecQ7Wait->setText("00:00.50");
         },
         0x8004,
         RdmOpQ7Setup,
         {0x11, 0x00, 0x14, 0x00, 0x0A, 0x64}},
        {11,
         [](SpecialTabTest& t) {
             t.tab->SetItemIndex(t.Spec().rgRdmSpecQ7Prog, 8);
             t.Spec().meRdmSpecQ7Speed->setText("30:00.00");
             t.Spec().meRdmSpecQ7Wait->setText("12:34.55");
         },
         0x8004,
         RdmOpQ7Setup,
         {0x19, 0x8C, 0xA0, 0x3A, 0xF3, 0x64}},
        {4,
         [](SpecialTabTest& t) {
             t.tab->SetItemIndex(t.Spec().rgRdmSpecQ9SubProg, 4);
             t.Spec().meRdmSpecQ9SubSpeed->setText("00:00.05");
             t.Spec().meRdmSpecQ9SubWait->setText("01:00.00");
         },
         0x8004,
         RdmOpQ9SubSetup,
         {0x15, 0x00, 0x01, 0x04, 0xB0, 0x64}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.kind));
        UseKind(c.kind);
        ClearLog();
        // No answer, so the frame stays to be seen; the operation it was
        // sent for ended when the device was given up.
        dev->rdm.silent = true;
        c.choose(*this);
        Click(Spec().btnRdmSendSpec);
        // (The oldest controller's SET is repeated while it gets no answer.)
        ASSERT_FALSE(Sent().empty());
        EXPECT_EQ(Sent().front(), (Req{0x30, c.pid, c.data}));
        EXPECT_EQ(St().Asked.op, c.op);
        EXPECT_EQ(St().RdmPendingOp, RdmOpNone);
        EXPECT_EQ(St().AwaitingAnswer, 1);
        EXPECT_EQ(Log().first(), "Send new special paramaters to: 7FF3:00000001 - 0");
    }
}

TEST_F(SpecialTabTest, AStepTimeThatIsNotATimeSendsNothingAndNamesTheField) {
    for (auto [kind, edit, other, field] :
         {std::tuple{2, "meRdmSpecQ7Speed", "meRdmSpecQ7Wait", "Speed on page Q7"},
          std::tuple{4, "meRdmSpecQ9SubWait", "meRdmSpecQ9SubSpeed", "Wait on page Q9Sub"}}) {
        UseKind(uint8_t(kind));
        ClearLog();
        St().RdmPendingOp = RdmOpScan;
        St().AwaitingAnswer = 0;
        Find<QLineEdit>(other)->setText("00:01.00");
        Find<QLineEdit>(edit)->setText(""); // the mask leaves blanks
        Click(Spec().btnRdmSendSpec);
        EXPECT_TRUE(dev->rdm.received.empty()) << edit;
        EXPECT_EQ(St().RdmPendingOp, RdmOpScan);
        EXPECT_EQ(St().AwaitingAnswer, 0);
        ASSERT_EQ(Log().size(), 1);
        EXPECT_TRUE(Log().first().startsWith(QString::fromLatin1(field))) << Log().first().toStdString();
        EXPECT_EQ(Find<QLineEdit>(edit)->toolTip(), Log().first());
    }
}

TEST_F(SpecialTabTest, GetConfigAndGetProgramAskByKind) {
    struct Case {
        uint8_t kind;
        int confPid;
        Data confData;
        uint8_t code; // 0: unchanged
        int prgPid;
        Data prgData;
    };
    const Case cases[] = {
        {1, 0x8001, {0x00, 0x40}, 3, 0x8001, {0x00, 0x44}},
        {2, 0x8005, {}, 4, 0x8006, {1, 0}},
        {3, 0x8005, {}, 5, 0, {}},
        {4, 0x8005, {}, 6, 0x8006, {1, 0}},
        {7, 0x8007, {}, 7, 0x8008, {1, 0}},
        {8, 0x8007, {}, 8, 0x8008, {1, 0}},
        {9, 0x8007, {}, 8, 0x8008, {1, 0}},
        {10, 0x8007, {}, 8, 0x8008, {1, 0}},
        {11, 0x8016, {}, 9, 0x8008, {1, 0}},
        {12, 0x8016, {}, 9, 0, {}},
        {5, 0, {}, 0, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.kind));
        UseKind(c.kind);
        dev->rdm.silent = true;
        w->ConfigDeviceCode = 77;
        ClearLog();
        Click(Spec().btnRdmGetConf);
        Click(Spec().btnRdmGetPrg);
        std::vector<std::tuple<int, int, Data>> expected;
        if (c.confPid) expected.emplace_back(0x20, c.confPid, c.confData);
        if (c.prgPid) expected.emplace_back(0x20, c.prgPid, c.prgData);
        EXPECT_EQ(Sent(), expected);
        EXPECT_EQ(w->ConfigDeviceCode, c.code ? c.code : 77);
        EXPECT_EQ(Log(), (QStringList{"Get config data from: 7FF3:00000001 - 0",
                                      "Get program data from: 7FF3:00000001 - 0"}));
        EXPECT_EQ(St().RdmPendingOp, 0) << "the reads are answered by PID";
    }
}

TEST_F(SpecialTabTest, DemoModeSendsNothing) {
    view->DemoMode = 1;
    for (QPushButton* b : {Spec().btnRdmSendSpec, Spec().btnRdmGetConf, Spec().btnRdmGetPrg})
        Click(b);
    EXPECT_TRUE(dev->rdm.received.empty());
    EXPECT_TRUE(Log().isEmpty());
}

TEST_F(SpecialTabTest, AddressesAndSlaveNumbersFollowEachOther) {
    struct Case {
        uint8_t kind;
        const char* edit;
        int value;
        std::vector<std::pair<const char*, int>> expect;
    };
    const Case cases[] = {
        {2, "seRdmSpecDmxAdr", 4, {{"seRdmPsecSlaveSrsz", 2}}},
        {2, "seRdmSpecDmxAdr", 5, {{"seRdmPsecSlaveSrsz", 0}}},
        {2, "seRdmSpecQ7DmxAdr", 6, {{"seRdmSpecQ7DmxSlave", 0}}},
        {8, "seRdmSpecQ7DmxAdr", 6, {{"seRdmSpecQ7DmxSlave", 2}}},
        {2, "seRdmSpecQ9SubDmxAdr", 58, {{"seRdmSpecQ9SubDmxSlave", 20}}},
        {2, "seRdmSpecQ9SubDmxAdr", 61, {{"seRdmSpecQ9SubDmxSlave", 0}}},
        {2, "seRdmPsecSlaveSrsz", 20, {{"seRdmSpecDmxAdr", 58}}},
        {10, "seRdmSpecQ7DmxSlave", 20, {{"seRdmSpecQ7DmxAdr", 96}}},
        {7, "seRdmSpecQ7DmxSlave", 20, {{"seRdmSpecQ7DmxAdr", 58}}},
        {2, "seRdmSpecQ9SubDmxSlave", 0, {{"seRdmSpecQ9SubDmxSlave", 1}, {"seRdmSpecQ9SubDmxAdr", 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.edit) + "=" + std::to_string(c.value) + " kind " + std::to_string(c.kind));
        UseKind(c.kind);
        // Start from somewhere else, so that the value is a change.
        Find<QSpinBox>(c.edit)->setValue(c.value == 7 ? 10 : 7);
        Find<QSpinBox>(c.edit)->setValue(c.value);
        for (auto [name, v] : c.expect)
            EXPECT_EQ(Find<QSpinBox>(name)->value(), v) << name;
        EXPECT_EQ(tab->AddressGuard + tab->SlaveGuard, 0);
    }
}

TEST_F(SpecialTabTest, ModeRadiosShowTheirPageOnAllThreeNotebooks) {
    struct Case {
        const char* radio;
        const char* page;
        bool priorChecked;
        bool priorEnabled;
    };
    // Each radio is one its page did not have checked, as a click would be.
    const Case cases[] = {{"rbRdmSpecQ9SubModeMaster", "Single", true, false},
                          {"rbModeSingle", "Single", false, true},
                          {"rbModeDmx", "Dmx", false, false},
                          {"rbRdmSpecQ7ModeSing", "Single", false, true},
                          {"rbModeMaster", "Single", true, false},
                          {"rbRdmSpecQ9SubModeDmx", "Dmx", false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.radio);
        Find<QRadioButton>(c.radio)->setChecked(true);
        for (QTabWidget* nb : {Spec().nbRdmSpecKelvar, Spec().nbRdmSpecQ7, Spec().nbRdmSpecQ9Sub})
            EXPECT_EQ(ActivePageCaption(nb), c.page) << nb->objectName().toStdString();
        for (QCheckBox* cb : {Spec().cbRdmSpecQ7ModePrior, Spec().cbRdmSpecQ9SubModePrior}) {
            EXPECT_EQ(cb->isChecked(), c.priorChecked);
            EXPECT_EQ(cb->isEnabled(), c.priorEnabled);
        }
    }
}

TEST_F(SpecialTabTest, OperatingModeAnswerFillsTheKelvarPage) {
    struct Case {
        uint8_t personality;
        Data mode;
        const char* radio;
        const char* page;
        int program, speed, brightness;
        bool fade;
    };
    const Case cases[] = {
        {2, {0, 0, 0, 1, 9, 5, 1, 9}, "rbModeMaster", "Single", 8, 5, 9, true},
        {3, {0, 0, 0, 0, 3, 2, 0, 4}, "rbModeSingle", "Single", 2, 2, 4, false},
        // Out-of-range fields show item 0.
        {2, {0, 0, 0, 2, 12, 10, 2, 10}, "rbModeSingle", "Single", 0, 0, 0, false},
        {1, {0, 0, 0, 1, 1, 1, 1, 1}, "rbModeDmx", "Dmx", 0, 1, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.personality));
        UseKind(1, c.personality, 7);
        dev->operatingMode = c.mode;
        // Opening the Special tab asks the mode.
        w->rdmUi->pcRdm->setCurrentIndex(0);
        w->rdmUi->pcRdm->setCurrentWidget(w->rdmUi->tsSpecial);
        Settle();
        ASSERT_EQ(Sent().size(), 1u);
        EXPECT_TRUE(Find<QRadioButton>(c.radio)->isChecked());
        EXPECT_EQ(ActivePageCaption(Spec().nbRdmSpecKelvar), c.page);
        EXPECT_EQ(tab->ItemIndex(Spec().rgProgram), c.program);
        EXPECT_EQ(tab->ItemIndex(Spec().rgSpeed), c.speed);
        EXPECT_EQ(tab->ItemIndex(Spec().rgBrightness), c.brightness);
        EXPECT_EQ(Spec().cbFade->isChecked(), c.fade);
        EXPECT_EQ(Spec().seRdmSpecDmxAdr->value(), 7);
        EXPECT_EQ(Spec().seRdmPsecSlaveSrsz->value(), 3);
    }
}

TEST_F(SpecialTabTest, DmxModeAnswerFillsTheQ7OrQ9SubPage) {
    struct Case {
        uint8_t kind, personality;
        uint16_t address;
        const char* checked; // nullptr: none of the three
        int prior;           // -1: left as it was
        const char* page;
        int slave;
    };
    const Case cases[] = {
        {2, 1, 1, "rbRdmSpecQ7ModeDmx", false, "Dmx", 1},
        {2, 2, 4, "rbRdmSpecQ7ModeSing", true, "Single", 2},
        {7, 3, 4, "rbRdmSpecQ7ModeSing", false, "Single", 2},
        {8, 4, 6, "rbRdmSpecQ7ModeMast", true, "Single", 2},
        // Address 6 starts no unit of three: unit 0, and the address stays.
        {11, 5, 6, nullptr, -1, "Manual", 0},
        {4, 2, 7, "rbRdmSpecQ9SubModeSingle", true, "Single", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.kind) + "/" + std::to_string(c.personality));
        UseKind(c.kind, c.personality, c.address);
        const bool sub = c.kind == 4;
        const QString p = sub ? "Q9Sub" : "Q7";
        dev->dmxMode = {0x13, 0x00, 0x14, 0x00, 0x00, 0x64};
        w->rdmUi->pcRdm->setCurrentIndex(0);
        w->rdmUi->pcRdm->setCurrentWidget(w->rdmUi->tsSpecial);
        Settle();
        ASSERT_EQ(Sent().size(), 1u);
        const QStringList radios =
            sub ? QStringList{"rbRdmSpecQ9SubModeDmx", "rbRdmSpecQ9SubModeSingle", "rbRdmSpecQ9SubModeMaster"}
                : QStringList{"rbRdmSpecQ7ModeDmx", "rbRdmSpecQ7ModeSing", "rbRdmSpecQ7ModeMast"};
        for (const QString& rb : radios)
            EXPECT_EQ(Find<QRadioButton>(rb)->isChecked(), c.checked && rb == c.checked) << rb.toStdString();
        if (c.prior >= 0) {
            EXPECT_EQ(Find<QCheckBox>("cbRdmSpec" + p + "ModePrior")->isChecked(), c.prior == 1);
        }
        EXPECT_EQ(ActivePageCaption(Find<QTabWidget>("nbRdmSpec" + p)), c.page);
        EXPECT_EQ(Find<QSpinBox>("seRdmSpec" + p + "DmxAdr")->value(), c.address);
        EXPECT_EQ(Find<QSpinBox>("seRdmSpec" + p + "DmxSlave")->value(), c.slave);
        EXPECT_EQ(tab->ItemIndex(Find<QGroupBox>("rgRdmSpec" + p + "Prog")), 2);
        EXPECT_EQ(Find<QLineEdit>("meRdmSpec" + p + "Speed")->text(), "00:01.00");
        EXPECT_EQ(Find<QLineEdit>("meRdmSpec" + p + "Wait")->text(), "00:00.00");
    }
}

TEST_F(SpecialTabTest, ARefusedModeAnswerChangesNothing) {
    UseKind(2, 4, 9);
    dev->nackAt = 1;
    Spec().seRdmSpecQ7DmxAdr->setValue(100);
    Spec().meRdmSpecQ7Speed->setText("00:02.00");
    w->rdmUi->pcRdm->setCurrentWidget(w->rdmUi->tsSpecial);
    Settle();
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Spec().seRdmSpecQ7DmxAdr->value(), 100);
    EXPECT_EQ(Spec().meRdmSpecQ7Speed->text(), "00:02.00");
    EXPECT_FALSE(Spec().rbRdmSpecQ7ModeMast->isChecked());
    EXPECT_EQ(Log(), QStringList{"Mode not read, refused (NACK reason 0x0006): 7FF3:00000001 - 0"});

    // The oldest controller's page alike.
    UseKind(1, 2, 9);
    ClearLog();
    dev->nackAt = 1;
    w->rdmUi->pcRdm->setCurrentIndex(0);
    Spec().seRdmSpecDmxAdr->setValue(100);
    w->rdmUi->pcRdm->setCurrentWidget(w->rdmUi->tsSpecial);
    Settle();
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Spec().seRdmSpecDmxAdr->value(), 100);
    EXPECT_EQ(Log().size(), 1);
}

// A set-up goes on with a SET of the address, one of the personality and a
// reading again, each after the answer before. The user who picks another
// device meanwhile must not have that device set up with the first's values.
TEST_F(SpecialTabTest, ASetUpStopsWhenAnotherDeviceIsSelectedWhileItRuns) {
    enum class When { SetOnItsWay, PauseAfterTheAnswer };
    struct Case {
        uint8_t kind;
        When when;
    };
    for (const Case c : {Case{1, When::SetOnItsWay}, Case{2, When::SetOnItsWay}, Case{4, When::SetOnItsWay},
                         Case{1, When::PauseAfterTheAnswer}, Case{2, When::PauseAfterTheAnswer}}) {
        SCOPED_TRACE(testing::Message() << "kind " << int(c.kind)
                                        << (c.when == When::SetOnItsWay ? " in flight" : " in the pause"));
        UseKind(c.kind);
        const auto other = AddOtherDevice(c.kind);
        ClearLog();
        HoldAnswerTo(1);
        Click(Spec().btnRdmSendSpec);
        ASSERT_EQ(dev->requests.size(), 1u);
        if (c.when == When::SetOnItsWay) {
            ClickNode(2);
            ReleaseAnswers();
        } else {
            box->HoldInput(false);
            box->ReleaseInput();
            ASSERT_TRUE(QTest::qWaitFor([&] { return dm->Pausing(); }, 5000));
            w->showMainPage("RDM");
            ClickItem(view->tree(), NodeAt(view->tree(), 2));
            SettleLong();
        }
        for (const auto& r : other->rdm.received)
            EXPECT_NE(r[20], 0x30) << "a SET of PID " << std::hex << (r[21] << 8 | r[22])
                                   << " reached the other device";
        EXPECT_EQ(Sent().size(), 1u) << "the device set up got nothing more either";
        EXPECT_EQ(Log().filter("Set-up stopped"),
                  QStringList{"Set-up stopped, the selected device changed: 7FF3:00000001 - 0"});
        EXPECT_EQ(St().RdmPendingOp, RdmOpNone);
        dev->tamper = nullptr;
    }
}

namespace {

// What the Special tab shows: every value, text, check and page of its controls.
QStringList SpecialShown(const TfrmMain* w) {
    QStringList shown;
    const QWidget* tab = w->rdmUi->tsSpecial;
    for (const QSpinBox* s : tab->findChildren<QSpinBox*>())
        shown << s->objectName() + "=" + QString::number(s->value());
    for (const QLineEdit* e : tab->findChildren<QLineEdit*>())
        shown << e->objectName() + "=" + e->text();
    for (const QAbstractButton* b : tab->findChildren<QAbstractButton*>())
        if (b->isCheckable()) shown << b->objectName() + (b->isChecked() ? "+" : "-");
    for (const QTabWidget* nb : tab->findChildren<QTabWidget*>())
        shown << nb->objectName() + "=" + QString::number(nb->currentIndex());
    return shown;
}

} // namespace

// A mode answer that is no ACK, or too short for the bytes the page reads,
// says nothing of the device's mode: the page shows nothing new and the log
// says why.
TEST_F(SpecialTabTest, AModeAnswerWithoutTheWholeModeShowsNothingNew) {
    struct Case {
        uint8_t kind;
        bool ackTimer;
        size_t length; // of the answer cut short
        const char* line;
    };
    const Case cases[] = {
        {1, true, 0, "Mode not read, device busy (ACK_TIMER): 7FF3:00000001 - 0"},
        {1, false, 7, "Mode not read, answer too short (7 of 8 bytes): 7FF3:00000001 - 0"},
        {1, false, 0, "Mode not read, answer too short (0 of 8 bytes): 7FF3:00000001 - 0"},
        {2, true, 0, "Mode not read, device busy (ACK_TIMER): 7FF3:00000001 - 0"},
        {2, false, 4, "Mode not read, answer too short (4 of 5 bytes): 7FF3:00000001 - 0"},
        {4, false, 4, "Mode not read, answer too short (4 of 5 bytes): 7FF3:00000001 - 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "kind " << int(c.kind) << (c.ackTimer ? " ACK_TIMER " : " short ") << c.length);
        UseKind(c.kind, 3, 9);
        dev->operatingMode = {0, 0, 0, 1, 9, 5, 1, 9};
        dev->dmxMode = {0x13, 0x00, 0x14, 0x00, 0x0A, 0x64};
        // The answer waits on the line, so that the tab is seen just before it comes.
        dev->tamper = [this, c](int n, Data& data) {
            if (n != 1) return;
            box->HoldInput(true);
            if (!c.ackTimer) data.resize(c.length);
        };
        if (c.ackTimer) {
            dev->rdm.extension = [inner = dev->rdm.extension](SimRdmResponder& r, uint8_t cc, uint16_t pid,
                                                              std::span<const uint8_t> data) {
                auto reply = inner(r, cc, pid, data);
                if (reply && cc == 0x20) reply = SimRdmResponder::Reply{1, {0x00, 0x0A}};
                return reply;
            };
        }
        w->rdmUi->pcRdm->setCurrentIndex(0);
        ClearLog();
        w->rdmUi->pcRdm->setCurrentWidget(w->rdmUi->tsSpecial);
        Settle();
        ASSERT_EQ(Sent().size(), 1u);
        const QStringList shown = SpecialShown(w);
        ReleaseAnswers();
        EXPECT_EQ(SpecialShown(w), shown);
        EXPECT_EQ(Log(), QStringList{c.line});
        dev->tamper = nullptr;
    }
}

// The tab shows the selected device. A mode answer of the device asked that
// comes when another device is selected (whatever moved the selection while
// the answer was on its way) is not shown with that device's address and mode.
TEST_F(SpecialTabTest, AModeAnswerIsShownOnlyForTheDeviceSelected) {
    for (const uint8_t kind : {uint8_t(1), uint8_t(2)}) {
        SCOPED_TRACE(int(kind));
        UseKind(kind, 3, 9);
        dev->operatingMode = {0, 0, 0, 1, 9, 5, 1, 9};
        dev->dmxMode = {0x13, 0x00, 0x14, 0x00, 0x0A, 0x64};
        const auto other = AddOtherDevice(kind);
        tRdmDevice& otherRec = *view->RecordAt(2);
        otherRec.currentPersonality = 4;
        otherRec.dmxStartAddress = 40;
        w->rdmUi->pcRdm->setCurrentIndex(0);
        HoldAnswerTo(1);
        w->rdmUi->pcRdm->setCurrentWidget(w->rdmUi->tsSpecial);
        Settle();
        ASSERT_EQ(Sent().size(), 1u);
        view->RdmCurrentNode() = 2;
        const QStringList shown = SpecialShown(w);
        ReleaseAnswers();
        EXPECT_EQ(SpecialShown(w), shown);
        EXPECT_TRUE(other->rdm.received.empty());
        dev->tamper = nullptr;
    }
}
