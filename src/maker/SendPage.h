#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "maker/StreamContainer.h"

class QWidget;
class TfrmMain;
class TDM;

// A file dialog of the program: the name last chosen and the filter (in the
// "caption|pattern|caption|pattern" form). Execute runs Qt's dialog, unless
// an answerer is set (tests do this), which plays the user and returns the
// chosen name or nothing for Cancel.
struct tFileDialog {
    enum class Mode : uint8_t { Open, Save };
    Mode mode = Mode::Open;
    QString FileName;
    QString Filter;
    std::function<std::optional<QString>(const tFileDialog&)> answerer;

    bool Execute(QWidget* parent);
    // The filter as Qt's dialogs take it ("caption (pattern);;...").
    QString QtFilter() const;
};

// True, with one line in the device log, while a discovery run or a device's
// reading again waits for the DMX line's answers: a transfer or the monitor
// would take the link from under it and leave it waiting for ever. `action`
// names what the user asked for ("DMX output", "Stream send", ...).
bool RefusedWhileScanHoldsTheLine(TfrmMain& frm, const QString& action);

// The page "Send" and everything that moves files and streams: classifying
// and opening files, saving the programs and the configuration, the logo,
// the stream uploads and sends by block download, and the interface's
// firmware upload.
class TSendPage : public QObject {
    Q_OBJECT

public:
    explicit TSendPage(TfrmMain& frm);
    ~TSendPage() override;

    // ---- state of the last opened file and of the transfer ----------------
    tStreamImage Stream; // SendStream, FramePacket, ProgramImage
    uint8_t OpenedFileKind = 0;
    QByteArray FirmwareId;
    uint8_t FirmwareMatches = 0;
    tLogoBitmap LogoBitmap{};
    uint32_t StreamFrameCount = 0;
    uint32_t FramesSent = 0;
    uint32_t RecordLength = 0;
    uint16_t FirmwareChunkOffset = 0;

    tFileDialog OpenDialog1;
    tFileDialog SaveDialog1;
    // Tells the user that a file could not be read or written; tests replace it.
    std::function<void(const QString& message)> reportFileError;

    // ---- files ---------------------------------------------------------------
    uint8_t ClassifyOpenedFile();
    QString ReadFirmwareVersion();
    QString ReadFirmwareDate();
    uint32_t ReadStreamFrameCount();
    void ShowSendPage();
    bool UpdateFirmware();
    void mFileOpenClick();
    void mFileSaveClick();
    bool LoadBmpLogo();
    bool LoadSendStream();
    bool ReadProgramsFile();
    bool ReadConfigFile();
    bool SaveProgramsFile();
    bool SaveConfigFile();

    // ---- sending ---------------------------------------------------------------
    void UploadProgramsByStream();
    void UploadConfigByStream();
    bool StartStreamSend();
    bool StartFirmwareSend();
    void btnSendDmxClick();
    void tmrFileSendStartTimer();
    void HandleBlockAck();
    void SendFirmwareChunk();

    // The file name shortened with ".../" elements until it fits this many pixels.
    static QString ShortenedFileName(const QString& path, const QWidget& widget, int maxWidth);

private:
    // The opened file's bytes (at most maxBytes, all of them when 0); nothing,
    // with the user told, when it cannot be read.
    std::optional<QByteArray> ReadOpenedFile(qint64 maxBytes = 0);
    bool WriteStreamFile(const QString& fileName, const tStreamImage& image);
    // The step times of the page "Kelvar", checked before its configuration
    // is saved or streamed; a bad one is reported and focused.
    bool KelvarStepTimesValid();
    void ShowInfo(uint8_t kind);
    void SetGauge(uint16_t subState, int value, bool visible);
    // The interface into block download for an upload of frameCount records.
    void StartUpload(uint16_t subState, uint32_t frameCount);
    void EndBlockDownload(uint16_t subState);
    void EndFirmwareUpload();
    // Reads the next record into the DMX frame buffer; on a bad or missing
    // record the transfer ends with a line in the device log.
    bool NextRecord(uint16_t subState);
    void SetEnabled(const char* name, bool enabled);
    TDM* dm() const;

    TfrmMain& frm;
    // The last file read failed and the user has been told so.
    bool fileUnreadable = false;
    // Records of the transfer in progress, taken from StreamFrameCount at its
    // start: opening another file meanwhile sets StreamFrameCount for the next
    // send and must not cut this one short or carry it past its end.
    uint32_t transferFrameCount = 0;
};
