// The File menu and the page "Send": what an opened file is, how it shows on
// the page, and loading and saving the programs and the configuration.
#include "maker/SendPage.h"

#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QTimer>
#include <memory>

#include "app/Info.h"
#include "app/Main.h"
#include "app/Nevjegy.h"
#include "link/DataModule.h"
#include "maker/ConfigPages.h"
#include "maker/FileKinds.h"
#include "maker/ProgramEditor.h"
#include "maker/RdmUpload.h"
#include "ui_Main.h"
#include "ui_ProgramPage.h"

namespace {

// A BMP that may be a logo is small (a 240 x 220 one is under 8 KB); more is
// not read.
constexpr qint64 BmpReadLimit = 1 << 20;

std::span<const uint8_t> AsBytes(const QByteArray& a) {
    return {reinterpret_cast<const uint8_t*>(a.constData()), size_t(a.size())};
}

} // namespace

// ---- file dialogs ---------------------------------------------------------------

bool tFileDialog::Execute(QWidget* parent) {
    std::optional<QString> chosen;
    if (answerer) {
        chosen = answerer(*this);
    } else {
        const QString name = mode == Mode::Open
                                 ? QFileDialog::getOpenFileName(parent, QString(), FileName, QtFilter())
                                 : QFileDialog::getSaveFileName(parent, QString(), FileName, QtFilter());
        if (!name.isEmpty()) chosen = name;
    }
    if (!chosen || chosen->isEmpty()) return false;
    FileName = *chosen;
    return true;
}

QString tFileDialog::QtFilter() const {
    const QStringList parts = Filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString& caption = parts[i];
        // A caption that already names its pattern keeps it as it is.
        out << (caption.contains(QLatin1Char('(')) ? caption
                                                   : caption + QStringLiteral(" (") + parts[i + 1] + ')');
    }
    return out.join(QStringLiteral(";;"));
}

// ---- the page ---------------------------------------------------------------------

TSendPage::TSendPage(TfrmMain& owner) : frm(owner) {
    OpenDialog1.mode = tFileDialog::Mode::Open;
    OpenDialog1.Filter =
        QStringLiteral("Firmware update, device data (*.dmx)|*.dmx|Picture (*.bmp)|*.bmp|All (*.*)|*.*");
    SaveDialog1.mode = tFileDialog::Mode::Save;
    // Shown without waiting for it: the handler that failed has nothing more to do.
    reportFileError = [this](const QString& message) {
        auto* box = new QMessageBox(QMessageBox::Critical, QStringLiteral("Tamarind"), message,
                                    QMessageBox::Ok, &frm);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    };

    connect(frm.ui->mFileOpen, &QAction::triggered, this, [this] { mFileOpenClick(); });
    connect(frm.ui->mFileSave, &QAction::triggered, this, [this] { mFileSaveClick(); });
    connect(frm.ui->mSetupFirmware, &QAction::triggered, this, [this] { UpdateFirmware(); });
    connect(frm.ui->btnSendDmx, &QPushButton::clicked, this, [this] { btnSendDmxClick(); });
    connect(frm.tmrFileSendStart, &QTimer::timeout, this, [this] { tmrFileSendStartTimer(); });
}

TSendPage::~TSendPage() = default;

TDM* TSendPage::dm() const {
    return frm.dataModule();
}

void TSendPage::SetEnabled(const char* name, bool enabled) {
    if (auto* w = frm.findChild<QWidget*>(QString::fromLatin1(name))) w->setEnabled(enabled);
}

void TSendPage::ShowInfo(uint8_t kind) {
    frm.MessageKind = kind;
    if (frm.frmInfo) frm.frmInfo->ShowModal();
}

std::optional<QByteArray> TSendPage::ReadOpenedFile(qint64 maxBytes) {
    QFile file(OpenDialog1.FileName);
    if (!file.open(QIODevice::ReadOnly)) {
        if (reportFileError)
            reportFileError(
                QStringLiteral("Cannot open file %1: %2").arg(OpenDialog1.FileName, file.errorString()));
        return std::nullopt;
    }
    QByteArray bytes = maxBytes > 0 ? file.read(maxBytes) : file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (reportFileError)
            reportFileError(
                QStringLiteral("Cannot read file %1: %2").arg(OpenDialog1.FileName, file.errorString()));
        return std::nullopt;
    }
    return bytes;
}

QString TSendPage::ShortenedFileName(const QString& path, const QWidget& widget, int maxWidth) {
    const QFontMetrics fm(widget.font());
    if (fm.horizontalAdvance(path) <= maxWidth) return path;
    // Folders give way from the front, after the root, then the name itself is cut.
    QStringList parts = path.split(QLatin1Char('/'));
    const QString root = parts.size() > 1 ? parts.takeFirst() + QLatin1Char('/') : QString();
    while (parts.size() > 1) {
        parts.removeFirst();
        const QString candidate = root + QStringLiteral(".../") + parts.join(QLatin1Char('/'));
        if (fm.horizontalAdvance(candidate) <= maxWidth) return candidate;
    }
    return fm.elidedText(QStringLiteral(".../") + parts.value(0), Qt::ElideRight, maxWidth);
}

// ---- classification -------------------------------------------------------------------

uint8_t TSendPage::ClassifyOpenedFile() {
    OpenedFileKind = FileKindUnknown;
    frm.ui->Image1->hide();
    fileUnreadable = false;
    const QString& name = OpenDialog1.FileName;
    const QString ext = name.right(4);
    const bool bmp = ext == QLatin1String(".bmp");
    if (!bmp && ext != QLatin1String(".dmx")) return FileKindUnknown;

    const std::optional<QByteArray> bytes = ReadOpenedFile(bmp ? BmpReadLimit : ClassifyHeadSize);
    if (!bytes) {
        fileUnreadable = true;
        return bmp ? FileKindBmp : FileKindUnknown;
    }
    const qint64 fileSize = QFileInfo(name).size();
    const tFileClass c = ClassifyFileBytes(name, AsBytes(*bytes), uint64_t(fileSize));
    if (c.idChange == tFileClass::IdChange::Clear) FirmwareId.clear();
    if (c.idChange == tFileClass::IdChange::Set) FirmwareId = c.firmwareId;
    OpenedFileKind = c.kind;
    if (c.kind == FileKindFirmware && fileSize > qint64(SendStreamSize)) {
        // It could never be sent whole.
        OpenedFileKind = FileKindUnknown;
        fileUnreadable = true;
        if (reportFileError)
            reportFileError(QStringLiteral("Firmware file %1 is too large: %2 bytes, at most %3 can be sent")
                                .arg(name)
                                .arg(fileSize)
                                .arg(SendStreamSize));
        return FileKindUnknown;
    }
    if (!bmp) return OpenedFileKind;
    if (OpenedFileKind == FileKindBmp) {
        QPixmap picture;
        picture.loadFromData(*bytes, "BMP");
        frm.ui->Image1->setPixmap(picture);
        frm.ui->Image1->show();
    }
    return FileKindBmp;
}

QString TSendPage::ReadFirmwareVersion() {
    const std::optional<QByteArray> bytes = ReadOpenedFile(ClassifyHeadSize);
    return bytes ? FirmwareVersionText(AsBytes(*bytes)) : QString();
}

QString TSendPage::ReadFirmwareDate() {
    const std::optional<QByteArray> bytes = ReadOpenedFile(ClassifyHeadSize);
    uint8_t y = 0, m = 0, d = 0;
    if (!bytes || !FirmwareDate(AsBytes(*bytes), y, m, d)) return {};
    return FormatVersionDate(y, m, d, frm.LanguageName);
}

uint32_t TSendPage::ReadStreamFrameCount() {
    const std::optional<QByteArray> bytes = ReadOpenedFile(16);
    return bytes ? StreamFrameCountOf(AsBytes(*bytes)) : 0;
}

void TSendPage::ShowSendPage() {
    Ui::TfrmMain& ui = *frm.ui;
    frm.showMainPage(QStringLiteral("Send"));
    ui.lFajlAdat->setText(ShortenedFileName(OpenDialog1.FileName, frm, 210));
    ui.lFajlAdat->setToolTip(OpenDialog1.FileName);
    switch (ClassifyOpenedFile()) {
    case FileKindFirmware:
        ui.lFajlTipus->setText(frm.text(31));
        StreamFrameCount = ReadStreamFrameCount();
        ui.lFajlVerzio->setText(ReadFirmwareVersion());
        ui.lFajlDatum->setText(ReadFirmwareDate());
        break;
    case FileKindBmp:
        ui.lFajlTipus->setText(frm.text(32));
        ui.lFajlVerzio->setText(QStringLiteral("-"));
        ui.lFajlDatum->setText(QStringLiteral("-"));
        break;
    default:
        break;
    }
}

bool TSendPage::UpdateFirmware() {
    if (frm.tmrRx) frm.tmrRx->stop();
    FirmwareMatches = 0;
    if (!OpenDialog1.Execute(&frm)) return false;
    if (ClassifyOpenedFile() == FileKindFirmware && FirmwareFits(FirmwareId, frm.LineState.InterfaceType)) {
        ShowSendPage();
        FirmwareMatches = 1;
        return true;
    }
    if (!fileUnreadable) ShowInfo(1);
    frm.showMainPage(QStringLiteral("Logo"));
    return false;
}

void TSendPage::mFileOpenClick() {
    FirmwareMatches = 0;
    if (!OpenDialog1.Execute(&frm)) return;
    ProgramEditor& editor = *frm.programEditor;
    if (editor.PrgDmxFontColour() == ProgramEditor::kDmxOnColour) {
        editor.SetPrgDmxFontColour(ProgramEditor::kDmxOffColour);
        frm.prgUi->btnPrgEszkozbe->setEnabled(true);
    }
    uint8_t refuse = 0; // info kind to show, 0 none
    switch (ClassifyOpenedFile()) {
    case FileKindFirmware:
        ShowSendPage();
        FirmwareMatches = FirmwareFits(FirmwareId, frm.LineState.InterfaceType) ? 1 : 0;
        break;
    case FileKindPrograms:
        if (!ReadProgramsFile()) {
            refuse = 1;
            break;
        }
        editor.SelectFirstProgram();
        editor.ShowProgram();
        editor.LabelDeviceAddresses();
        frm.showMainPage(QStringLiteral("Programok"));
        frm.ui->mFileSave->setEnabled(true);
        StreamFrameCount = ReadStreamFrameCount();
        break;
    case FileKindConfig:
        if (!ReadConfigFile()) {
            refuse = 1;
            break;
        }
        frm.configPages->ShowConfigPage();
        frm.showMainPage(QStringLiteral("Konfiguracio"));
        frm.ui->mFileSave->setEnabled(true);
        StreamFrameCount = ReadStreamFrameCount();
        break;
    case FileKindBmp:
        if (OpenedFileKind == FileKindBmp)
            ShowSendPage();
        else
            refuse = 2;
        break;
    default:
        refuse = 1;
        break;
    }
    if (refuse == 0) return;
    // A file that could not be read at all has been reported already.
    if (!fileUnreadable) ShowInfo(refuse);
    frm.showMainPage(QStringLiteral("Logo"));
}

bool TSendPage::ReadProgramsFile() {
    const std::optional<QByteArray> bytes = ReadOpenedFile(ProgramsFileSize);
    if (!bytes) {
        fileUnreadable = true;
        return false;
    }
    // The editor's programs change only once the whole file is known to be there.
    tProgramData& programs = frm.programEditor->Programs;
    tProgramData read = programs;
    if (!::ReadProgramsFile(AsBytes(*bytes), Stream, read)) return false;
    read.EditorChannels = 3;
    programs = read;
    return true;
}

bool TSendPage::ReadConfigFile() {
    const std::optional<QByteArray> bytes = ReadOpenedFile(ConfigFileSize);
    if (!bytes) {
        fileUnreadable = true;
        return false;
    }
    tDeviceConfig read = frm.configPages->DeviceConfig;
    ::SetDefaultConfig(read);
    if (!::ReadConfigFile(AsBytes(*bytes), read)) return false;
    frm.configPages->DeviceConfig = read;
    return true;
}

bool TSendPage::LoadBmpLogo() {
    LogoBitmap.fill(0);
    const std::optional<QByteArray> bytes = ReadOpenedFile(BmpReadLimit);
    if (!bytes || !DecodeBmpLogo(AsBytes(*bytes), LogoBitmap)) return false;
    StreamFrameCount = HeaderFrameCount + LogoBlockCount(LogoBitmap[0], LogoBitmap[1]);
    return true;
}

bool TSendPage::LoadSendStream() {
    if (OpenedFileKind == FileKindFirmware) {
        const std::optional<QByteArray> bytes = ReadOpenedFile(qint64(SendStreamSize) + 1);
        if (!bytes) return false;
        if (!Stream.Load(AsBytes(*bytes))) {
            if (reportFileError)
                reportFileError(QStringLiteral("Firmware file %1 is larger than %2 bytes and cannot be sent")
                                    .arg(OpenDialog1.FileName)
                                    .arg(SendStreamSize));
            return false;
        }
        return true;
    }
    if (OpenedFileKind == FileKindBmp) {
        if (!LoadBmpLogo()) {
            ShowInfo(2);
            return false;
        }
        BuildLogoStream(Stream, LogoBitmap);
    }
    return true;
}

// ---- saving ---------------------------------------------------------------------------

void TSendPage::mFileSaveClick() {
    if (!SaveDialog1.Execute(&frm)) return;
    const QString page = frm.mainPageCaption();
    if (page.compare(QStringLiteral("Programok"), Qt::CaseInsensitive) == 0)
        SaveProgramsFile();
    else if (page.compare(QStringLiteral("Konfiguracio"), Qt::CaseInsensitive) == 0)
        SaveConfigFile();
}

// A save builds its stream apart from the one being sent: an upload or a send
// in progress (the user may save while it plays) goes on with its own records.
bool TSendPage::SaveProgramsFile() {
    const auto image = std::make_unique<tStreamImage>();
    BuildProgramsStream(*image, frm.programEditor->Programs);
    return WriteStreamFile(SaveDialog1.FileName + QStringLiteral(".dmx"), *image);
}

bool TSendPage::KelvarStepTimesValid() {
    return TMakerRdm::StepTimesValid(&frm, QStringLiteral("meSpeed"), QStringLiteral("meWait"),
                                     QStringLiteral("Kelvar"));
}

bool TSendPage::SaveConfigFile() {
    // A step time that is not a time would be saved as the one stored before it.
    if (!KelvarStepTimesValid()) return false;
    ConfigPages& pages = *frm.configPages;
    pages.ReadConfigPage();
    const auto image = std::make_unique<tStreamImage>();
    BuildConfigStream(*image, pages.DeviceConfig, pages.CurveTable, frm.ConfigDeviceCode);
    return WriteStreamFile(SaveDialog1.FileName + QStringLiteral(".dmx"), *image);
}

bool TSendPage::WriteStreamFile(const QString& fileName, const tStreamImage& image) {
    // All or nothing: a failed write leaves an older file as it was.
    QSaveFile file(fileName);
    const std::span<const uint8_t> bytes = image.Bytes();
    const bool ok = file.open(QIODevice::WriteOnly) &&
                    file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) ==
                        qint64(bytes.size()) &&
                    file.commit();
    if (!ok && reportFileError)
        reportFileError(QStringLiteral("Cannot write file %1: %2").arg(fileName, file.errorString()));
    return ok;
}
