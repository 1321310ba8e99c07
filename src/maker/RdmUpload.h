#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <cstdint>

#include "maker/MakerPayloads.h"

class OperationWatch;
class QLineEdit;
class TfrmMain;
class TDM;
struct tRdmDevice;
struct tRdmMessage;

// Sending the programs and the configuration to the maker's devices by RDM,
// and reading them back into the program editor and the configuration pages.
// The send-to-device buttons of both pages route here by the selected
// device's kind; the answers of the maker's configuration and program
// parameters come here from the answer path.
class TMakerRdm : public QObject {
    Q_OBJECT

public:
    explicit TMakerRdm(TfrmMain* mainWindow);
    // The one of a main window (created with the window).
    static TMakerRdm* of(const TfrmMain* mainWindow);

    // Position of a program upload: program 1..9 and its packet.
    uint8_t UploadProgramIndex = 1;
    uint8_t UploadPartIndex = 0;
    // The pause before each following packet of a program upload. Tests that
    // run whole uploads shorten it; the program never changes it.
    int ProgramPacketPauseMs = 100;

    void btnPrgEszkozbeClick();

    void UploadConfigQ9Root();
    void UploadConfigQ7();
    void UploadConfigQ9Sub();
    void UploadConfigQ73G();
    void UploadConfigZK4();
    void UploadProgramsRgb();
    void UploadProgramsRgbwa();

    // Answer side (pending operations 13 and 29, and the configuration uploads).
    void SendNextProgramSteps(const tRdmMessage& msg);
    void SendNextProgramBlock(const tRdmMessage& msg);
    void EndConfigUpload(const tRdmMessage& msg);

    // Why an answer is not an acknowledgement, for the device log
    // ("refused (NACK reason 0x0006)"); empty for an acknowledgement.
    static QString RefusalReason(const tRdmMessage& msg);
    // Tells the user that a time edit does not hold a time: a device-log
    // line, and the edit focused with the text as its tip.
    static void ReportBadTime(TfrmMain* frm, QLineEdit* edit, const QString& text);
    // Checks the nine step-time pairs of a configuration page before anything
    // is sent or saved; on the first that is not a time the user is told
    // which one, and false is returned.
    static bool StepTimesValid(TfrmMain* frm, const QString& speedPrefix, const QString& waitPrefix,
                               const QString& pageName);

    // GET answers of the maker's parameters.
    void HandleDeviceConfigAnswer(const tRdmMessage& msg);
    void HandleProgramStepsAnswer(const tRdmMessage& msg);
    void HandleProgramBlockAnswer(const tRdmMessage& msg);
    void HandleConfigMemoryAnswer(const tRdmMessage& msg);

private:
    // The device a program upload was started for, with the selection and
    // the tree it was chosen in.
    struct UploadTarget {
        uint64_t uid = 0;
        uint16_t subDevice = 0;
        uint16_t node = 0;
        quint64 treeChanges = 0;
        QString tail; // the device as the log names it
    };

    tRdmDevice* Device() const;
    // A configuration upload's one request, to the selected device.
    void SendSet(uint8_t op, uint16_t pid, uint8_t pdl);
    void ShowConfigGauge();
    void SetProgramGauge(int value);
    // Takes the selected device as the target of a program upload; false when none is selected.
    bool TakeProgramTarget();
    // A program packet from `RdmParamData`, to the upload's target.
    void SendProgramPacket(uint8_t op, uint16_t pid, uint8_t pdl);
    // Why the upload's device can no longer be told from the selection;
    // empty while the selection and the tree are those of the start.
    QString ProgramTargetLost() const;
    // One step of a program upload after the pause: the next packet, or the end.
    void ContinueProgramUpload(bool fiveColour);
    void ProgramPacketAnswered(const tRdmMessage& msg, bool fiveColour);
    // Ends a program upload whose device can no longer be told from the
    // selection: logged with the reason and the device it was going to.
    void StopProgramUpload(bool fiveColour, const QString& why);
    // One program packet read: stored, then the next one asked, or the end.
    void ReadProgramPacket(const tRdmMessage& msg, bool fiveColour);
    // A maker answer that is not an acknowledgement: logged, true.
    bool Refused(const tRdmMessage& msg, const QString& what);
    void RefusalLine(const tRdmMessage& msg, const QString& what, const QString& tail);
    void EndProgramRead(uint8_t channels);
    void Line(const QString& text);

    TfrmMain* frm;
    // Put away an upload that the line's operations were ended under (the
    // interface pulled out, the demo, a discovery): no answer moves it on.
    OperationWatch* programWatch;
    OperationWatch* configWatch;
    // Counts the program uploads started, so that a pause of one that was
    // started over meanwhile does not advance the new one.
    unsigned programUploadRun = 0;
    UploadTarget programTarget;
    // The device the last configuration upload went to, for the line its answer writes.
    QString configTargetTail;
};
