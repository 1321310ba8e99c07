#pragma once

#include <QObject>
#include <QString>
#include <cstdint>

namespace Ui {
class SpecialTab;
}
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class TfrmMain;
struct tRdmDevice;
struct tRdmMessage;

// The Special tab of the RDM page: the operating mode, DMX address or slave
// number and stand-alone program of the maker's devices, sent with the
// maker's mode parameters, and the buttons that read a device's configuration
// and programs. Its pages "Kelvar", "Q7", "Q9Root" and "Q9Sub" are chosen by
// device kind; the mode answers of the devices are shown here.
class TSpecialTab : public QObject {
    Q_OBJECT

public:
    explicit TSpecialTab(TfrmMain* mainWindow);
    static TSpecialTab* of(const TfrmMain* mainWindow);

    Ui::SpecialTab* ui;

    // Guards that keep the address and slave-number handlers from running
    // inside each other.
    uint8_t AddressGuard = 0;
    uint8_t SlaveGuard = 0;

    void btnSetTryClick();
    // Each returns false when it sent nothing (a time that is not a time).
    bool SendKelvarSpecial(const tRdmDevice& rec);
    bool SendQ7Special(const tRdmDevice& rec);
    bool SendQ9SubSpecial(const tRdmDevice& rec);
    void btnRdmGetConfClick();
    void btnRdmGetPrgClick();

    // Shared by the mode radios of the three pages.
    void rbModeDmxClick();
    void rbModeSingleClick();
    void rbModeMasterClick();
    void seRdmPsecDmxAdrChange();
    void seRdmPsecSlaveSrszChange();

    // Answers of the mode parameters.
    void HandleOperatingModeAnswer(const tRdmMessage& msg);
    void HandleDmxModeAnswer(const tRdmMessage& msg);
    void ShowDmxModeQ7(const tRdmMessage& msg);
    void ShowDmxModeQ9Sub(const tRdmMessage& msg);

    // The item chosen in a radio group (rgProgram, rgSpeed, rgBrightness,
    // rgRdmSpecQ7Prog, rgRdmSpecQ9SubProg), from 0; -1 when none is.
    int ItemIndex(const QGroupBox* group) const;
    void SetItemIndex(QGroupBox* group, int index);

private:
    struct ModePage {
        QRadioButton* dmx;
        QRadioButton* single;
        QRadioButton* master;
        QCheckBox* prior;
        QTabWidget* notebook;
        QSpinBox* address;
        QSpinBox* slave;
        QGroupBox* program;
        QLineEdit* speed;
        QLineEdit* wait;
    };
    ModePage Q7Page() const;
    ModePage Q9SubPage() const;
    // Shows a device's address and the unit number it gives on one page.
    void ShowAddress(QSpinBox* address, QSpinBox* slave, uint16_t value, uint16_t channels);
    void ShowDmxMode(const ModePage& page, const tRdmMessage& msg, uint16_t channels);
    bool SendModeSpecial(const tRdmDevice& rec, const ModePage& page, uint8_t op, const QString& pageName);
    void MakeRadioGroup(QGroupBox* group, const QStringList& items, int checked);
    // The mode notebooks on all three pages, and the priority boxes.
    void ShowMode(const QString& caption, bool priorChecked, bool priorEnabled);
    // Channels of a unit on page "Q7": 5 for the five-colour drivers.
    uint16_t Q7UnitChannels() const;
    bool DemoMode() const;
    // A mode answer that is no ACK, or that holds fewer than `length` data
    // bytes, says nothing of the device's mode: one device-log line, and true.
    bool Refused(const tRdmMessage& msg, uint8_t length);

    TfrmMain* frm;
};
