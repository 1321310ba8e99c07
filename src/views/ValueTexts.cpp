#include "views/ValueTexts.h"

#include "rdm/RdmDevice.h"
#include "rdm/define_slot.h"
#include "rdm/lang_iso639_1.h"

bool FindDefById(uint16_t id, std::span<const tDef> table, int& index) {
    for (index = 0; index < static_cast<int>(table.size()); ++index)
        if (table[index].id == id) return true;
    return false;
}

namespace {
QString NameOrUndefined(uint16_t id, std::span<const tDef> table) {
    int index = 0;
    return FindDefById(id, table, index) ? QString::fromLatin1(table[index].name)
                                         : QStringLiteral("undefined");
}
} // namespace

QString GetIsoLanguageName(uint16_t code) {
    return NameOrUndefined(code, IsoLanguageTable);
}

QString GetProductDetailName(uint16_t id) {
    return NameOrUndefined(id, ProductDetailTable);
}

QString GetProductCategoryName(uint16_t category) {
    switch (category >> 8) {
    case 0x00:
        return QStringLiteral("NOT DECLARED CHATEGORY");
    case 0x01:
        return QStringLiteral("FIXTURE");
    case 0x02:
        return QStringLiteral("FIXTURE ACCESSORY");
    case 0x03:
        return QStringLiteral("PROJECTOR");
    case 0x04:
        return QStringLiteral("ATMOSPHERIC");
    case 0x05:
        return QStringLiteral("DIMMER");
    case 0x06:
        return QStringLiteral("POWER");
    case 0x07:
        return QStringLiteral("SCENIC");
    case 0x08:
        return QStringLiteral("DATA");
    case 0x09:
        return QStringLiteral("AV");
    case 0x0A:
        return QStringLiteral("MONITOR");
    case 0x70:
        return QStringLiteral("CONTROL");
    case 0x71:
        return QStringLiteral("TEST");
    case 0x7F:
        return QStringLiteral("OTHER");
    default:
        return QStringLiteral("NOT DEFINED CHATEGORY");
    }
}

const std::array<tDef, 59> ProductSubCategoryTable{{
    {0x0100, "-"},
    {0x0101, "FIXED"},
    {0x0102, "MOVING YOKE"},
    {0x0103, "MOVING MIRROR"},
    {0x01FF, "OTHER"},
    {0x0200, "-"},
    {0x0201, "COLOR"},
    {0x0202, "YOKE"},
    {0x0203, "MIRROR"},
    {0x0204, "EFFECT"},
    {0x0205, "BEAM"},
    {0x02FF, "OTHER"},
    {0x0300, "-"},
    {0x0301, "FIXED"},
    {0x0302, "MOVING YOKE"},
    {0x0303, "MOVING MIRROR"},
    {0x03FF, "OTHER"},
    {0x0400, "-"},
    {0x0401, "EFFECT"},
    {0x0402, "PYRO"},
    {0x04FF, "OTHER"},
    {0x0500, "-"},
    {0x0501, "AC INCANDESCENT (AC > 50VAC)"},
    {0x0502, "AC FLUORESCENT"},
    {0x0503, "AC COLDCATHODE"},
    {0x0504, "AC NONDIM"},
    {0x0505, "AC ELV (AC <= 50V)"},
    {0x0506, "AC OTHER"},
    {0x0507, "DC LEVEL (Variable DC level output)"},
    {0x0508, "DC PWM"},
    {0x0509, "CS LED (Specialized LED dimmer)"},
    {0x05FF, "OTHER"},
    {0x0600, "-"},
    {0x0601, "CONTROL"},
    {0x0602, "SOURCE"},
    {0x06FF, "OTHER"},
    {0x0700, "-"},
    {0x0701, "DRIVE"},
    {0x07FF, "OTHER"},
    {0x0800, "-"},
    {0x0801, "DISTRIBUTION"},
    {0x0802, "CONVERSION"},
    {0x08FF, "OTHER"},
    {0x0900, "-"},
    {0x0901, "AUDIO"},
    {0x0902, "VIDEO"},
    {0x09FF, "OTHER"},
    {0x0A00, "-"},
    {0x0A01, "ACLINEPOWER"},
    {0x0A02, "DCPOWER"},
    {0x0A03, "ENVIRONMENTAL"},
    {0x0AFF, "OTHER"},
    {0x7000, "-"},
    {0x7001, "CONTROLLER"},
    {0x7002, "BACKUPDEVICE"},
    {0x70FF, "OTHER"},
    {0x7100, "-"},
    {0x7101, "EQUIPMENT"},
    {0x71FF, "EQUIPMENT OTHER"},
}};

QString GetProductSubCategoryName(uint16_t category) {
    int index = 0;
    return FindDefById(category, ProductSubCategoryTable, index)
               ? QString::fromLatin1(ProductSubCategoryTable[index].name)
               : QString();
}

QString IntToStrZeroPad(uint16_t value, int width) {
    QString s = QString::number(value);
    if (s.size() < width) s.prepend(QString(width - s.size(), QLatin1Char('0')));
    return s;
}

QString DisplayInvertText(uint8_t value) {
    switch (value) {
    case 0x00:
        return QStringLiteral(" OFF");
    case 0x01:
        return QStringLiteral(" ON");
    case 0x02:
        return QStringLiteral(" AUTO");
    default:
        return QStringLiteral("out of range");
    }
}

QString LampStateText(uint8_t value) {
    switch (value) {
    case 0x00:
        return QStringLiteral(" LAMP OFF");
    case 0x01:
        return QStringLiteral(" LAMP ON");
    case 0x02:
        return QStringLiteral(" LAMP STRIKE");
    case 0x03:
        return QStringLiteral(" LAMP STANDBY");
    case 0x04:
        return QStringLiteral(" LAMP NOT PRESENT");
    case 0x7F:
        return QStringLiteral(" LAMP ERROR");
    default:
        break;
    }
    if (value >= 0x80 && value <= 0xDF) return QStringLiteral(" Manufact. specific states");
    return QStringLiteral("out of range");
}

QString LampOnModeText(uint8_t value) {
    switch (value) {
    case 0x00:
        return QStringLiteral(" LAMP ON MODE: OFF");
    case 0x01:
        return QStringLiteral(" LAMP ON MODE: DMX");
    case 0x02:
        return QStringLiteral(" LAMP ON MODE: ON");
    case 0x03:
        return QStringLiteral(" LAMP ON MODE: AFTER CAL");
    default:
        break;
    }
    if (value >= 0x80 && value <= 0xDF) return QStringLiteral(" Manufact. specific states");
    return QStringLiteral("out of range");
}

QString SlotInfoLine(const tRdmDevice& rec, int i) {
    const tRdmSlot& slot = rec.slotInfo[static_cast<size_t>(i)];
    // The address is summed in 16 bits, so slots past 512 are listed as they are.
    const auto address = static_cast<uint16_t>(rec.dmxStartAddress + i);
    QString line = IntToStrZeroPad(static_cast<uint16_t>(i + 1), 2) + ". DMX:" + IntToStrZeroPad(address, 3);
    int index = 0;
    if (slot.type == 0) {
        if (!FindDefById(slot.labelId, SlotLabelTable, index))
            line += QStringLiteral("not defined primary slot");
        else if (SlotLabelTable[static_cast<size_t>(index)].id == 0xFFFF)
            line += " " + slot.description;
        else
            line += " " + QString::fromLatin1(SlotLabelTable[static_cast<size_t>(index)].name);
    } else {
        const QString primary = QString::number(slot.labelId + 1);
        if (FindDefById(slot.type, SlotTypeTable, index))
            line += " " + QString::fromLatin1(SlotTypeTable[static_cast<size_t>(index)].name) +
                    " of slot nr.:" + primary;
        else
            line += " not defined secondary slot of slot nr.:" + primary;
    }
    return line;
}

QString ProtocolVersionText(uint16_t version) {
    return " v." + QString::number(version >> 8) + "." + QString::number(version & 0xFF) + ".";
}
