#include "maker/ProgramData.h"

uint32_t tProgramData::Rgb(int p, int s, int d) const {
    return uint32_t(Colour(p, s, d, 1)) | uint32_t(Colour(p, s, d, 2)) << 8 | uint32_t(Colour(p, s, d, 3)) << 16;
}

void tProgramData::SetRgb(int p, int s, int d, uint32_t colour) {
    SetColour(p, s, d, 1, uint8_t(colour & 0xFF));
    SetColour(p, s, d, 2, uint8_t((colour >> 8) & 0xFF));
    SetColour(p, s, d, 3, uint8_t((colour >> 16) & 0xFF));
}

void tProgramData::InitPrograms() {
    for (int p = 1; p <= kPrograms; ++p) {
        ProgramSteps[p] = 10;
        ProgramSpeed[p] = 3;
        ProgramWait[p] = 0;
        ProgramSpeedOn[p] = (ProgramSpeed[p] != 0 || ProgramWait[p] != 0) ? 1 : 0;
        ProgramStepMode[p] = 0;
        for (int s = 1; s <= kSteps; ++s)
            for (int d = 1; d <= kDevices; ++d) SetRgb(p, s, d, 0);
    }
}
