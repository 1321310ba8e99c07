#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <span>

// The configurable decoder's configuration: its RDM identity and its
// personalities with their slots, edited in two records and moved to and from
// the device as one 6144-byte image of 32 blocks of 192 bytes. Widget-free.

constexpr int LvnImageSize = 6144;
constexpr int LvnBlockSize = 192;
constexpr int LvnBlockCount = LvnImageSize / LvnBlockSize; // 32
// Blocks 0..30 are written back; the last block is only read.
constexpr int LvnWrittenSize = LvnBlockSize * (LvnBlockCount - 1); // 5952
constexpr int LvnSlotRecordSize = 48;
constexpr int LvnTextField = 33; // 32 characters and at least one zero byte
constexpr int LvnTextMax = 32;
// What the records hold, whatever a device reports.
constexpr int LvnPersonalityCapacity = 8;
constexpr int LvnSlotCapacity = 32;

struct tLvnHeader {
    uint16_t productCategory = 0; // high byte the category, low byte the sub-category
    uint32_t softwareVersionId = 0;
    uint8_t personalityCount = 0;
    uint16_t subDeviceCount = 0;
    QString modelDescription;
    QString manufacturerLabel;
    uint16_t flags = 0;       // bit 0 contact sensor, bit 1 temperature sensor
    uint16_t secondFlags = 0; // bit 0 factory defaults enabled
};

struct tLvnSlot {
    uint8_t slotType = 0;
    // A primary slot's label from the E1.20 label table; a secondary slot's
    // is the offset of the primary slot it belongs to.
    uint16_t slotLabelId = 0;
    uint8_t defaultValue = 0;
    QString description;
};

struct tLvnPersonality {
    uint8_t inChannelCount = 0;                         // the personality's slots (its DMX footprint)
    uint8_t outChannelCount = 0;                        // outputs of the decoder it uses
    std::array<uint8_t, LvnSlotCapacity> outChannel{};  // 0-based output per slot; 255 none
    std::array<uint8_t, LvnSlotCapacity> outputType{};  // 0 NORMAL, 1 MASTER, 2 STROBO
    std::array<uint8_t, LvnSlotCapacity> outputFlags{}; // bit 0 reversed, 1 mastered, 2 strobed
    uint16_t strobeMin = 0;
    uint16_t strobeMax = 0;
    uint8_t strobeOpenTime = 0;
    QString description;
    std::array<tLvnSlot, LvnSlotCapacity> slotInfo{}; // ("slots" is a Qt keyword)
};

struct tLvnDeviceLimits {
    uint8_t personalityMax = 0;
    uint8_t slotMax = 0;
    uint8_t subDeviceMax = 0;
    uint16_t flagMask = 0;
};

// The decoder's records and image, kept for the whole run and not cleared
// between devices.
struct tLvnConfig {
    tLvnHeader LvnHeader;
    std::array<tLvnPersonality, LvnPersonalityCapacity> LvnPersonalities{};
    tLvnDeviceLimits LvnDeviceLimits;
    std::array<uint8_t, LvnImageSize> LvnConfigImage{};
};

// Cursor functions: each reads or writes at `cursor` and advances it by its
// size. Bytes outside the buffer read as 0 and are not written.
uint8_t GetImageByte(std::span<const uint8_t> image, uint16_t& cursor);
uint16_t GetImageWordBE(std::span<const uint8_t> image, uint16_t& cursor);
uint32_t GetImageLongBE(std::span<const uint8_t> image, uint16_t& cursor);
// Characters up to the first zero byte or n bytes; always advances by n.
QString GetImageText(std::span<const uint8_t> image, uint16_t& cursor, int n);
void PutImageByte(std::span<uint8_t> image, uint16_t& cursor, uint8_t value);
void PutImageWordBE(std::span<uint8_t> image, uint16_t& cursor, uint16_t value);
void PutImageLongBE(std::span<uint8_t> image, uint16_t& cursor, uint32_t value);
// The text's characters, then zero bytes up to n; advances by n.
void PutImageText(std::span<uint8_t> image, uint16_t& cursor, const QString& text, int n);

// The texts' limit as the records keep them.
QString LvnText(const QString& text);

// Image -> records. Counts the device may not have are read as 0 (personality
// count, sub-device count above its maximum) and flag bits outside its mask are
// dropped. What would pass the records or the image is left out; the return
// value then says what, in a line for the device log (empty when all fitted).
QString ParseLvnConfigImage(tLvnConfig& cfg);

// Records -> image: block 0, the personality blocks, the slot records; nothing
// past them is touched. Returns the bytes the configuration needs; when that
// is more than the image holds, what did not fit was not written.
int BuildLvnConfigImage(tLvnConfig& cfg);

// Bytes a configuration with these counts takes in the image.
int LvnConfigSize(const tLvnConfig& cfg);

// Product category list (14 rows).
QStringList ProductCategoryItems();
int GetProductCategoryIndex(uint16_t code);
uint16_t GetProductCategoryCode(int index);
// The fine list of a category: "-" and then its sub-categories.
QStringList ProductSubCategoryItems(uint16_t category);
// The sub-category code (low byte) of a fine-list position within a category.
uint8_t ProductSubCategoryCode(uint16_t category, int index);
int GetProductSubCategoryIndex(uint16_t code);

// Slot type list (9 rows).
QStringList SlotTypeItems();
int GetSlotTypeIndex(uint8_t type);
uint8_t GetSlotTypeCode(int index);

// Label list of a primary slot (32 rows, UNDEFINED last).
QStringList SlotLabelItems();
int GetSlotLabelIndex(uint16_t id);
uint16_t GetSlotLabelCode(int index);
