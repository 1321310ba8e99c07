// A device read again after a SET answers one of the GETs with ACK_TIMER, or
// with its value cut one byte short. Neither says what the device holds: its
// record and its page keep what it said before, and the reading goes on to
// its next request as after any answer.
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>

#include "RdmDeviceFixture.h"
#include "support/sim/rdm_discovery_link.h"
#include "ui_RdmPage.h"

namespace {

using Reqs = std::vector<Req>;

class ReadingAgainAnswers : public RdmDeviceFixture {
protected:
    enum class Fault { None, AckTimer, Short };
    // The GET answered badly: its PID, the number it asks for (-1: none), and
    // the length of its answer when cut short.
    struct Faulted {
        uint16_t pid = 0;
        int number = -1;
        size_t shortLength = 0;
        Fault fault = Fault::None;
    };

    void SetUp() override {
        RdmDeviceFixture::SetUp();
        dev1.SetSupported({0x0082, 0x0400, 0x0401, 0x0405, 0x0501, 0x00E0, 0x00F0});
        dev1.values[0x0400] = {0, 0, 0x01, 0x2C};
        dev1.values[0x00F0] = {0, 1};
        simdev::Personality(dev1, 1, 4, "4 channel");
        simdev::Personality(dev1, 2, 0, "stand alone");
        behaviour1.sensors.resize(2);
        behaviour1.sensors[0].description = "Temperature";
        behaviour1.sensors[1].description = "Fan";
        behaviour1.PublishSensors();
        // The device keeps its personality: each SET only makes it read again.
        behaviour1.setModes[0x00E0] = SimSetMode::KeepAck;
        dev1.extension = [this, inner = dev1.extension](SimRdmResponder& r, uint8_t cc, uint16_t pid,
                                                        std::span<const uint8_t> data) {
            std::optional<SimRdmResponder::Reply> reply = inner(r, cc, pid, data);
            const Faulted& f = faulted;
            if (cc != 0x20 || pid != f.pid || f.fault == Fault::None) return reply;
            if (f.number >= 0 && (data.empty() || data[0] != f.number)) return reply;
            if (f.fault == Fault::AckTimer) return std::optional(SimRdmResponder::Reply{1, {0x00, 0x0A}});
            Data value = reply ? reply->data
                         : data.empty()
                             ? r.values.at(pid)
                             : r.indexedValues.at({pid, Data(data.begin(), data.end())});
            value.resize(std::min(value.size(), f.shortLength));
            return std::optional(SimRdmResponder::Reply{0, value});
        };
        // The record and the page now hold what the device says.
        ReadAgain();
    }

    void ReadAgain() {
        ClearLog();
        Find<QComboBox>("cbPersonality")->setCurrentIndex(1);
        Click("btnModDmxPers");
    }

    // What the details and the configuration tabs and the tree show.
    QStringList Shown() const {
        QStringList shown;
        for (QWidget* tab : {w->rdmUi->tsReszletek, w->rdmUi->tsKonfiguracio}) {
            for (const QLabel* l : tab->findChildren<QLabel*>())
                shown << l->objectName() + "=" + l->text();
            for (const QSpinBox* s : tab->findChildren<QSpinBox*>())
                shown << s->objectName() + "=" + QString::number(s->value());
            for (const QLineEdit* e : tab->findChildren<QLineEdit*>())
                shown << e->objectName() + "=" + e->text();
            for (const QComboBox* c : tab->findChildren<QComboBox*>()) {
                shown << c->objectName() + "=" + QString::number(c->currentIndex());
                for (int i = 0; i < c->count(); ++i)
                    shown << c->itemText(i);
            }
            for (const QListWidget* list : tab->findChildren<QListWidget*>())
                for (int i = 0; i < list->count(); ++i)
                    shown << list->objectName() + ":" + list->item(i)->text();
        }
        return shown + NodeCaptions(tree);
    }

    Faulted faulted;
};

} // namespace

TEST_F(ReadingAgainAnswers, AnAckTimerOrAShortAnswerKeepsTheRecordAndThePage) {
    ASSERT_EQ(Log().last(), "Process ready");
    const tRdmDevice before = Rec();
    ASSERT_EQ(before.deviceHours, 300u);
    ASSERT_EQ(before.sensors[1].description, "Fan");
    const QStringList page = Shown();
    ASSERT_TRUE(page.contains("lDevHours=300 h"));
    const Reqs whole = Sent();

    struct Row {
        const char* name;
        uint16_t pid;
        int number;
        size_t shortLength; // of the answer cut one byte short of the value
    };
    // clang-format off
    const Row rows[] = {
        {"DEVICE_INFO", 0x0060, -1, 18},
        {"DMX_START_ADDRESS", 0x00F0, -1, 1},
        {"SUPPORTED_PARAMETERS", 0x0050, -1, 1}, // a list keeps its whole entries: a part of one is none
        {"LAMP_HOURS", 0x0401, -1, 3},
        {"DEVICE_HOURS", 0x0400, -1, 3},
        {"DEVICE_POWER_CYCLES", 0x0405, -1, 3},
        {"DISPLAY_LEVEL", 0x0501, -1, 0},
        {"DEVICE_LABEL", 0x0082, -1, 0},
        {"SENSOR_DEFINITION 0", 0x0200, 0, 12},
        {"SENSOR_DEFINITION 1", 0x0200, 1, 12},
        {"PERSONALITY_DESCRIPTION 1", 0x00E1, 1, 2},
    };
    // clang-format on
    for (const Fault fault : {Fault::AckTimer, Fault::Short}) {
        for (const Row& row : rows) {
            const bool text = row.pid == 0x0082;
            if (fault == Fault::Short && text) continue;
            SCOPED_TRACE(std::string(row.name) + (fault == Fault::AckTimer ? " ACK_TIMER" : " short"));
            faulted = {row.pid, row.number, row.shortLength, fault};
            ReadAgain();
            EXPECT_EQ(Log().last(), "Process ready");
            EXPECT_EQ(Sent(), whole) << "the reading goes on as with whole answers";
            EXPECT_TRUE(Rec() == before);
            EXPECT_EQ(Shown(), page);
        }
    }
}
