#pragma once

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace Ui {
class RemoteAccess;
}
class QTimer;
class TfrmMain;
class TShape;
struct tRdmDevice;
struct tRdmMessage;

// A device's display: 4 pages of 122 columns; bit b of byte c of page p is
// the pixel at column c, row 8p + b (set: lit).
inline constexpr int RemoteDisplayColumns = 122;
inline constexpr int RemoteDisplayPageCount = 4;
using tRemoteDisplay = std::array<std::array<uint8_t, RemoteDisplayColumns>, RemoteDisplayPageCount>;

// The manufacturer's parameters of the display and the keys.
inline constexpr uint16_t PidRemoteDisplayPage = 0x8002;
inline constexpr uint16_t PidRemoteKey = 0x8003;

// Remote keys as the device numbers them.
enum : uint8_t {
    RemoteKeyNone = 0,
    RemoteKeyDown = 1,
    RemoteKeyUp = 2,
    RemoteKeyEsc = 3,
    RemoteKeyEnter = 4
};

// The saved display: a 252 x 72 monochrome BMP of 2366 bytes, every display
// pixel doubled, with a blue background and white lit pixels.
inline constexpr int DisplayBmpSize = 2366;
QByteArray BuildDisplayBmp(const tRemoteDisplay& shown);

// The tab `tsRemoteAccess`: mirrors the display of one of the maker's devices,
// read page by page on the 250 ms timer `tmrRemAcc`, and sends its four keys.
class TRemoteAccess : public QObject {
    Q_OBJECT

public:
    explicit TRemoteAccess(TfrmMain* mainWindow);
    ~TRemoteAccess() override;

    static TRemoteAccess* of(const TfrmMain* mainWindow);

    void UpdateRemoteAccessTab();
    void StartRemoteAccess();
    void StopRemoteAccess();
    void RemoteAccessTimerTick();
    void ReceiveRemoteDisplayPage(const tRdmMessage& msg);
    // 1..4 presses a key, 0 lets it go.
    void QueueRemoteKey(uint8_t key);

    void sDownMouseDown();
    void sUpMouseDown();
    void sEscMouseDown();
    void sEnterMouseDown();
    void sDownMouseUp();
    void btnSaveDispClick();

    // The data module's timer `tmrRemAcc` (a timer of the tab's own while the
    // window has no data module).
    QTimer* timer() const;
    // The display as drawn on `iDisplay`, twice its size.
    const QImage& displayImage() const { return shownImage; }

    // The page awaited (0..3), 4 when none is and the next tick starts a frame.
    uint8_t RemotePageIndex = 4;
    uint8_t RemoteTimeoutTicks = 0;
    tRemoteDisplay RemoteDisplayPages{};
    tRemoteDisplay RemoteDisplayShown{};
    uint8_t RemoteKey = RemoteKeyNone;
    uint8_t RemoteKeyHeld = 0;
    uint8_t RemoteKeyReleased = 0;
    uint8_t RemoteKeyRepeat = 0;

    // The save dialog: the chosen file name, empty when the user cancels.
    std::function<QString()> SaveDialog1;

    std::unique_ptr<Ui::RemoteAccess> ui;

private:
    // The device polled: the selected node while it exists and is a device.
    tRdmDevice* polledRecord() const;
    bool demo() const;
    void sendRequest(const tRdmDevice& rec, uint8_t commandClass, uint16_t pid, uint8_t value);
    void drawDisplay();
    // The display shown is the selected device's or blank: a picture of a
    // device no longer selected is cleared, as if no frame had come.
    void forgetDisplayOfOtherDevice();
    void clearDisplay();
    void pressShape(TShape* shape, uint8_t key);
    void logLine(const QString& line);

    TfrmMain* frm;
    QTimer* ownTimer = nullptr;
    QImage shownImage;
    // The device whose frame `RemoteDisplayShown` holds, while one is drawn.
    struct DisplayOwner {
        uint64_t uid = 0;
        uint16_t subDevice = 0;
    };
    std::optional<DisplayOwner> displayOwner;
};
