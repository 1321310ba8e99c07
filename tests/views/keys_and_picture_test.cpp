#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include "remacc_fixture.h"
#include "support/log_access.h"

namespace {

using Key = SimDisplayDevice::Key;

constexpr uint32_t ShapeBlue = 0xFF8000; // 0x00BBGGRR
constexpr uint32_t ShapePressed = 0xCE6800;

class RemoteKeys : public RemoteAccessTab {
protected:
    TShape* Shape(const char* name) { return Find<TShape>(name); }
    void Press(TShape* s) { QTest::mousePress(s, Qt::LeftButton, {}, s->rect().center()); }
    void Release(TShape* s) { QTest::mouseRelease(s, Qt::LeftButton, {}, s->rect().center()); }
};

class SavedDisplay : public RemoteAccessTab {
protected:
    // Saves the display under the name the dialog gives; returns the files
    // in the folder afterwards.
    QStringList Save(const QString& chosen) {
        remote->SaveDialog1 = [chosen] { return chosen; };
        Find<QPushButton>("btnSaveDisp")->click();
        return QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }
    QString In(const QString& name) const { return QDir(folder.path()).filePath(name); }
    static uint32_t Field(const QByteArray& b, int offset, int size) {
        uint32_t v = 0;
        for (int i = size - 1; i >= 0; --i)
            v = v << 8 | uint8_t(b[offset + i]);
        return v;
    }

    QTemporaryDir folder;
};

} // namespace

TEST_F(RemoteKeys, SentAtTheEndsOfFramesWhileHeld) {
    struct Case {
        const char* name;
        const char* shape;
        int framesHeld, framesAfter;
        std::set<uint8_t> skip;
        std::vector<Key> sent;
    };
    const Case cases[] = {
        {"a short press", "sUp", 0, 3, {}, {{2, 1}}},
        {"held ten frames",
         "sDown",
         10,
         2,
         {},
         {{1, 1}, {1, 5}, {1, 6}, {1, 7}, {1, 8}, {1, 9}, {1, 10}, {1, 11}}},
        {"let go before the repeat", "sEsc", 3, 2, {}, {{3, 1}}},
        {"let go as the repeat begins", "sEnter", 4, 2, {}, {{4, 1}, {4, 5}}},
        {"no frame completes", "sEnter", 0, 3, {3}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        display.keys.clear();
        display.frame = 0;
        display.skipPages = c.skip;
        remote->StartRemoteAccess();
        TShape* key = Shape(c.shape);
        Press(key);
        for (const char* other : {"sDown", "sUp", "sEsc", "sEnter"})
            EXPECT_EQ(Shape(other)->colour(), Shape(other) == key ? ShapePressed : ShapeBlue) << other;
        Tick(c.framesHeld);
        Release(key);
        EXPECT_EQ(key->colour(), ShapeBlue);
        Tick(c.framesAfter);
        EXPECT_EQ(display.keys, c.sent);
    }
}

TEST_F(SavedDisplay, ThePictureShowsTheDisplay) {
    DrawPattern();
    Tick();
    // The name always gets ".bmp", also when it has it already.
    EXPECT_EQ(Save(In("panel.bmp")), QStringList{"panel.bmp.bmp"});
    const QByteArray file = ReadFile(In("panel.bmp.bmp"));
    ASSERT_EQ(file.size(), 2366);
    struct Field_ {
        int offset, size;
        uint32_t value;
    };
    const Field_ header[] = {
        {0, 2, 0x4D42},      {2, 4, 2366}, {6, 4, 0},  {10, 4, 62},         {14, 4, 40}, {18, 4, 252},
        {22, 4, 72},         {26, 2, 1},   {28, 2, 1}, {30, 4, 0},          {34, 4, 0},  {38, 4, 0},
        {42, 4, 0},          {46, 4, 0},   {50, 4, 0}, {54, 4, 0x000080FF}, // colour 0: blue
        {58, 4, 0x00FFFFFF},                                                // colour 1: white
    };
    for (const Field_& f : header)
        EXPECT_EQ(Field(file, f.offset, f.size), f.value) << "offset " << f.offset;

    QImage img(In("panel.bmp.bmp"));
    ASSERT_EQ(img.size(), QSize(252, 72));
    img = img.convertToFormat(QImage::Format_RGB32);
    int wrong = 0;
    for (int y = 0; y < 72; ++y) {
        for (int x = 0; x < 252; ++x) {
            const int dx = x / 2 - 4, dy = (y - 4) / 2;
            const bool lit = y >= 4 && y < 68 && dx >= 0 && display.Pixel(dx, dy);
            wrong += img.pixel(x, y) != (lit ? White : Blue);
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(SavedDisplay, EveryRowEndsWithItsFill) {
    for (auto& page : display.pages)
        page.fill(0xFF);
    Tick();
    Save(In("lit"));
    const QByteArray file = ReadFile(In("lit.bmp"));
    ASSERT_EQ(file.size(), 2366);
    // A lit display row: the left margin, 244 lit pixels, then 4 bits of fill.
    QByteArray litRow(32, char(0xFF));
    litRow[0] = 0;
    litRow[31] = char(0xF0);
    for (int row = 0; row < 72; ++row) {
        const bool margin = row < 4 || row >= 68;
        EXPECT_EQ(file.mid(62 + row * 32, 32), margin ? QByteArray(32, 0) : litRow) << "row " << row;
    }
}

TEST_F(SavedDisplay, BeforeAnyFrameAllBlue) {
    Save(In("empty"));
    const QByteArray file = ReadFile(In("empty.bmp"));
    ASSERT_EQ(file.size(), 2366);
    EXPECT_EQ(file.mid(62), QByteArray(2304, 0));
}

TEST_F(SavedDisplay, ACancelledDialogWritesNothing) {
    EXPECT_TRUE(Save(QString()).isEmpty());
    EXPECT_TRUE(DeviceLogText(w).isEmpty());
}

TEST_F(SavedDisplay, AFileThatCannotBeWrittenIsReported) {
    ASSERT_TRUE(QDir(folder.path()).mkdir("taken.bmp"));
    const QString cases[] = {In("no such folder/panel"), In("taken")};
    for (const QString& chosen : cases) {
        SCOPED_TRACE(chosen.toStdString());
        ClearLog();
        // Nothing but the folder in the way is left behind.
        EXPECT_EQ(Save(chosen), QStringList{"taken.bmp"});
        const QStringList log = DeviceLogLines(w);
        ASSERT_EQ(log.size(), 1);
        EXPECT_TRUE(log[0].startsWith("Display can not be saved to file " + chosen + ".bmp: "))
            << log[0].toStdString();
    }
}
