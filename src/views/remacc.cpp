#include "views/remacc.h"

#include <QFileDialog>
#include <QLabel>
#include <QLayout>
#include <QPixmap>
#include <QPushButton>
#include <QSaveFile>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>

#include "app/Main.h"
#include "link/DataModule.h"
#include "maker/Shapes.h"
#include "rdm/RdmDevice.h"
#include "rdm/RdmState.h"
#include "rdm/rdm_frame.h"
#include "rdm/rdm_handlers_later.h"
#include "ui_RdmPage.h"
#include "ui_RemoteAccess.h"
#include "views/RdmPageView.h"
#include "views/rdm_set_context.h"

namespace {

// Colours as 0x00BBGGRR.
constexpr uint32_t KeyBlue = 0xFF8000;    // red 0, green 128, blue 255
constexpr uint32_t KeyPressed = 0xCE6800; // red 0, green 104, blue 206
constexpr uint32_t PanelGrey = 0x808080;

// Manufacturer ids of the maker and of its distributor.
constexpr uint16_t MakerId = 0x7FF1;
constexpr uint16_t DistributorId = 0x7FF3;

constexpr int DisplayRows = 8 * RemoteDisplayPageCount;
constexpr int BmpWidth = 252;
constexpr int BmpHeight = 72;
constexpr int BmpRowBytes = 32;
constexpr int BmpMargin = 4; // blank rows above and below, and blank pixel pairs at the left

// The file image and the byte writers that fill it, little-endian, at BmpPosition.
struct BmpImage {
    QByteArray bytes = QByteArray(DisplayBmpSize, '\0');
    int BmpPosition = 0;

    void PutBmpByte(uint8_t b) {
        if (BmpPosition < bytes.size()) bytes[BmpPosition] = char(b);
        ++BmpPosition;
    }
    void PutBmpWord(uint16_t w) {
        PutBmpByte(uint8_t(w));
        PutBmpByte(uint8_t(w >> 8));
    }
    void PutBmpDword(uint32_t d) {
        PutBmpWord(uint16_t(d));
        PutBmpWord(uint16_t(d >> 16));
    }
};

bool Lit(const tRemoteDisplay& display, int column, int row) {
    return (display[size_t(row / 8)][size_t(column)] >> (row % 8)) & 1;
}

} // namespace

QByteArray BuildDisplayBmp(const tRemoteDisplay& shown) {
    BmpImage bmp;
    bmp.PutBmpByte('B');
    bmp.PutBmpByte('M');
    bmp.PutBmpDword(DisplayBmpSize);
    bmp.PutBmpDword(0);
    bmp.PutBmpDword(62);
    bmp.PutBmpDword(40);
    bmp.PutBmpDword(BmpWidth);
    bmp.PutBmpDword(BmpHeight);
    bmp.PutBmpWord(1);
    bmp.PutBmpWord(1);
    for (int i = 0; i < 6; ++i) // no compression, image size, resolutions, colours
        bmp.PutBmpDword(0);
    for (uint8_t b : {0xFF, 0x80, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00}) // blue, white
        bmp.PutBmpByte(b);

    auto blankRows = [&bmp] {
        for (int i = 0; i < BmpMargin * BmpRowBytes; ++i)
            bmp.PutBmpByte(0);
    };
    blankRows();
    for (int r = DisplayRows - 1; r >= 0; --r) {
        for (int twice = 0; twice < 2; ++twice) {
            for (int byte = 0; byte < BmpRowBytes; ++byte) {
                uint8_t value = 0;
                for (int bit = 0; bit < 8; ++bit) {
                    const int s = (byte * 8 + bit) / 2;
                    const int column = s - BmpMargin;
                    if (column >= 0 && column < RemoteDisplayColumns && Lit(shown, column, r))
                        value |= uint8_t(0x80 >> bit);
                }
                bmp.PutBmpByte(value);
            }
        }
    }
    blankRows();
    return bmp.bytes;
}

TRemoteAccess::TRemoteAccess(TfrmMain* mainWindow)
    : QObject(mainWindow), ui(std::make_unique<Ui::RemoteAccess>()), frm(mainWindow),
      shownImage(2 * RemoteDisplayColumns, 2 * DisplayRows, QImage::Format_RGB32) {
    setObjectName(QStringLiteral("RemoteAccess"));
    QWidget* host = frm->rdmUi->tsRemoteAccess;
    auto* form = new QWidget(host);
    ui->setupUi(form);
    host->layout()->addWidget(form);
    host->layout()->setAlignment(form, Qt::AlignLeft | Qt::AlignTop);

    ui->Shape20->setColour(PanelGrey);
    ui->Shape14->setColour(KeyBlue);
    for (TShape* key : {ui->sDown, ui->sUp, ui->sEsc, ui->sEnter})
        key->setColour(KeyBlue);
    // Nothing has been read yet: an unlit display.
    clearDisplay();

    ownTimer = new QTimer(this);
    ownTimer->setInterval(250);
    connect(ownTimer, &QTimer::timeout, this, &TRemoteAccess::RemoteAccessTimerTick);

    connect(ui->sDown, &TShape::mouseDown, this, &TRemoteAccess::sDownMouseDown);
    connect(ui->sUp, &TShape::mouseDown, this, &TRemoteAccess::sUpMouseDown);
    connect(ui->sEsc, &TShape::mouseDown, this, &TRemoteAccess::sEscMouseDown);
    connect(ui->sEnter, &TShape::mouseDown, this, &TRemoteAccess::sEnterMouseDown);
    for (TShape* key : {ui->sDown, ui->sUp, ui->sEsc, ui->sEnter})
        connect(key, &TShape::mouseUp, this, &TRemoteAccess::sDownMouseUp);
    connect(ui->btnSaveDisp, &QPushButton::clicked, this, &TRemoteAccess::btnSaveDispClick);

    SaveDialog1 = [this] {
        return QFileDialog::getSaveFileName(frm, QString(), QString(), QStringLiteral("Bitmap (*.bmp)"));
    };

    if (RdmPageView* view = frm->rdmView) {
        view->hooks.UpdateRemoteAccessTab = [this] { UpdateRemoteAccessTab(); };
        view->hooks.StartRemoteAccess = [this] { StartRemoteAccess(); };
        view->hooks.StopRemoteAccess = [this] { StopRemoteAccess(); };
    }
}

TRemoteAccess::~TRemoteAccess() = default;

TRemoteAccess* TRemoteAccess::of(const TfrmMain* mainWindow) {
    return mainWindow ? mainWindow->findChild<TRemoteAccess*>(QString(), Qt::FindDirectChildrenOnly)
                      : nullptr;
}

QTimer* TRemoteAccess::timer() const {
    TDM* dm = frm->dataModule();
    return dm ? dm->tmrRemAcc : ownTimer;
}

tRdmDevice* TRemoteAccess::polledRecord() const {
    RdmPageView* view = frm->rdmView;
    tRdmDevice* rec = view ? view->RecordAt(view->RdmCurrentNode()) : nullptr;
    return rec && rec->nodeKind != NodeKindGroup ? rec : nullptr;
}

bool TRemoteAccess::demo() const {
    return frm->rdmView && frm->rdmView->DemoMode != 0;
}

void TRemoteAccess::sendRequest(const tRdmDevice& rec, uint8_t commandClass, uint16_t pid, uint8_t value) {
    if (!frm->dataModule()) return;
    // No pending operation and no awaited answer: the display answers are
    // routed by their PID, and the key answers are not looked at.
    RdmState& st = RdmStateOf(frm);
    st.RdmCurrentPid = pid;
    st.RdmParamData[0] = value;
    st.NextRequestIsPoll = true;
    SendRdmParam(frm, rec, commandClass, pid, 1);
}

void TRemoteAccess::logLine(const QString& line) {
    frm->LogLine(line);
}

void TRemoteAccess::UpdateRemoteAccessTab() {
    forgetDisplayOfOtherDevice();
    RdmPageView* view = frm->rdmView;
    const tRdmDevice* rec = view ? view->RecordAt(view->RdmCurrentNode()) : nullptr;
    const bool visible = view && view->Discovery.DiscoveredCount > 0 && rec &&
                         rec->nodeKind != NodeKindGroup &&
                         (rec->manufacturerId() == MakerId || rec->manufacturerId() == DistributorId) &&
                         view->DeviceSupportsPid(view->RdmCurrentNode(), PidRemoteDisplayPage);
    QTabWidget* pc = frm->rdmUi->pcRdm;
    const int index = pc->indexOf(frm->rdmUi->tsRemoteAccess);
    if (pc->isTabVisible(index) == visible) return;
    // Showing or hiding the tab is no change of tab by the user.
    const QSignalBlocker quiet(pc);
    const bool wasOpen = pc->currentIndex() == index;
    pc->setTabVisible(index, visible);
    if (wasOpen && !visible) pc->setCurrentIndex(0);
}

void TRemoteAccess::StartRemoteAccess() {
    RdmPageView* view = frm->rdmView;
    // During a run the scan owns the line and the node; a click once it is over starts the display.
    if (!view || view->Discovery.DiscoveredCount == 0 || view->RunInProgress()) return;
    RemotePageIndex = 4;
    RemoteTimeoutTicks = 0;
    RemoteKey = RemoteKeyNone;
    RemoteKeyReleased = 0;
    timer()->start();
}

void TRemoteAccess::StopRemoteAccess() {
    timer()->stop();
}

void TRemoteAccess::RemoteAccessTimerTick() {
    // The demo's devices have no display to read.
    if (frm->rdmUi->pcRdm->currentWidget() != frm->rdmUi->tsRemoteAccess || demo()) {
        StopRemoteAccess();
        return;
    }
    if (RdmPageView* view = frm->rdmView) {
        // As the sensor poll: a run ends the display, a device's reading again holds it back.
        if (view->RunInProgress()) {
            StopRemoteAccess();
            return;
        }
        if (view->ScanHoldsTheLine()) return;
    }
    forgetDisplayOfOtherDevice();
    const tRdmDevice* rec = polledRecord();
    if (!rec) return; // the tree was emptied or rebuilt without the node
    if (RemotePageIndex == 4) {
        // An operation's answer on its way is not to be taken from it.
        if (frm->rdmView && frm->rdmView->LineHeld()) return;
        RemoteTimeoutTicks = 0;
        RemotePageIndex = 0;
        sendRequest(*rec, RdmGetCommand, PidRemoteDisplayPage, 0);
        return;
    }
    // A frame not complete within six ticks is given up; the next tick starts anew.
    if (++RemoteTimeoutTicks > 5) RemotePageIndex = 4;
}

void TRemoteAccess::ReceiveRemoteDisplayPage(const tRdmMessage& msg) {
    if (RemotePageIndex >= RemoteDisplayPageCount || demo()) return;
    // A page asked for before the scan took the line asks for no further page
    // now; the frame starts over on a later tick.
    if (frm->rdmView && frm->rdmView->ScanHoldsTheLine()) {
        RemotePageIndex = 4;
        return;
    }
    // A refusal (or a request to ask later) carries no pixels: the page stays
    // awaited, and the frame starts over after the timeout.
    if (msg.responseType != RdmAck) return;
    const tRdmDevice* rec = polledRecord();
    if (!rec) return;
    // A page of a device no longer shown: the frame starts over for the shown one.
    if (!AnswerIsForSelection(frm)) {
        RemotePageIndex = 4;
        return;
    }
    // The page number is not in the answer: it is the page awaited. A short
    // answer fills what it brings; the rest of the page reads as unlit.
    auto& page = RemoteDisplayPages[RemotePageIndex];
    const size_t n = std::min<size_t>({msg.pdl, page.size(), msg.data.size()});
    std::copy_n(msg.data.begin(), n, page.begin());
    std::fill(page.begin() + long(n), page.end(), 0);
    if (RemotePageIndex == RemoteDisplayPageCount - 1) {
        RemoteDisplayShown = RemoteDisplayPages;
        displayOwner = DisplayOwner{rec->uid, rec->subDevice};
        drawDisplay();
    }
    ++RemotePageIndex;
    if (RemotePageIndex < RemoteDisplayPageCount) {
        sendRequest(*rec, RdmGetCommand, PidRemoteDisplayPage, RemotePageIndex);
        return;
    }
    // The frame is complete: the key step. A key is sent at the end of the
    // first frame, then again from the fifth frame on while it is held.
    if (RemoteKey != RemoteKeyNone && (RemoteKeyRepeat == 0 || RemoteKeyRepeat >= 4))
        sendRequest(*rec, RdmSetCommand, PidRemoteKey, RemoteKey);
    if (RemoteKeyHeld && RemoteKeyRepeat < 4) {
        if (++RemoteKeyRepeat > 3) RemoteKeyHeld = 0;
    }
    if (RemoteKeyReleased) {
        RemoteKey = RemoteKeyNone;
        RemoteKeyReleased = 0;
    }
}

void TRemoteAccess::drawDisplay() {
    const QRgb white = qRgb(255, 255, 255);
    const QRgb blue = TShape::ToQColor(KeyBlue).rgb();
    for (int row = 0; row < DisplayRows; ++row) {
        for (int column = 0; column < RemoteDisplayColumns; ++column) {
            const QRgb colour = Lit(RemoteDisplayShown, column, row) ? white : blue;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx)
                    shownImage.setPixel(2 * column + dx, 2 * row + dy, colour);
        }
    }
    ui->iDisplay->setPixmap(QPixmap::fromImage(shownImage));
}

void TRemoteAccess::forgetDisplayOfOtherDevice() {
    if (!displayOwner) return;
    const tRdmDevice* rec = polledRecord();
    if (rec && rec->uid == displayOwner->uid && rec->subDevice == displayOwner->subDevice) return;
    clearDisplay();
}

void TRemoteAccess::clearDisplay() {
    // The pages of a frame under way stay: a frame draws only once all four came.
    displayOwner.reset();
    RemoteDisplayShown = {};
    shownImage.fill(TShape::ToQColor(KeyBlue));
    ui->iDisplay->setPixmap(QPixmap::fromImage(shownImage));
}

void TRemoteAccess::QueueRemoteKey(uint8_t key) {
    if (key >= RemoteKeyDown && key <= RemoteKeyEnter) {
        RemoteKey = key;
        RemoteKeyHeld = 1;
        RemoteKeyRepeat = 0;
    } else if (key == RemoteKeyNone) {
        RemoteKeyHeld = 0;
        RemoteKeyReleased = 1;
    }
}

void TRemoteAccess::pressShape(TShape* shape, uint8_t key) {
    QueueRemoteKey(key);
    shape->setColour(KeyPressed);
}

void TRemoteAccess::sDownMouseDown() {
    pressShape(ui->sDown, RemoteKeyDown);
}

void TRemoteAccess::sUpMouseDown() {
    pressShape(ui->sUp, RemoteKeyUp);
}

void TRemoteAccess::sEscMouseDown() {
    pressShape(ui->sEsc, RemoteKeyEsc);
}

void TRemoteAccess::sEnterMouseDown() {
    pressShape(ui->sEnter, RemoteKeyEnter);
}

void TRemoteAccess::sDownMouseUp() {
    QueueRemoteKey(RemoteKeyNone);
    for (TShape* key : {ui->sDown, ui->sUp, ui->sEsc, ui->sEnter})
        key->setColour(KeyBlue);
}

void TRemoteAccess::btnSaveDispClick() {
    const QString chosen = SaveDialog1 ? SaveDialog1() : QString();
    if (chosen.isEmpty()) return;
    // The extension is always added, also to a name that already has it.
    const QString name = chosen + QStringLiteral(".bmp");
    const QByteArray image = BuildDisplayBmp(RemoteDisplayShown);
    // Written to a temporary file and renamed: a failure leaves no half-written file.
    QSaveFile file(name);
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok) ok = file.write(image) == image.size();
    if (ok) ok = file.commit();
    if (!ok) {
        const QString why = file.errorString();
        file.cancelWriting();
        logLine(QStringLiteral("Display can not be saved to file %1: %2").arg(name, why));
    }
}

// ---- Reached by name from the data module and the answer path -------------

void TDM::tmrRemAccTimer() {
    if (TRemoteAccess* remote = TRemoteAccess::of(frmMain)) remote->RemoteAccessTimerTick();
}

void ReceiveRemoteDisplayPage(TDM& DM, const tRdmMessage& msg) {
    if (TRemoteAccess* remote = TRemoteAccess::of(DM.mainWindow())) remote->ReceiveRemoteDisplayPage(msg);
}
