#pragma once

#include <QByteArray>
#include <cstdint>
#include <vector>

// Files built byte by byte, independently of the program's writers.

inline void PutU32(QByteArray& a, int at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        a[at + i] = char(v >> (8 * i));
}

// A firmware file for the interface id byte `id`: the header, 100 header frames
// (the id at payload offset 0, version 2.13, date 2009-03-07) and `records`
// data frames whose 198 data bytes are a running pattern. `claimed` is the
// header's frame count (default: all frames).
inline QByteArray FirmwareFile(uint8_t id, int records, int claimed = -1) {
    const int frames = 100 + records;
    QByteArray a(16 + frames * 218, '\0');
    a.replace(0, 8, "OrvDMX10");
    PutU32(a, 12, uint32_t(claimed < 0 ? frames : claimed));
    for (int k = 0; k < frames; ++k) {
        const int f = 16 + k * 218;
        PutU32(a, f, 2000000);
        PutU32(a, f + 12, 198);
        PutU32(a, f + 16, 1);
        if (k >= 100)
            for (int i = 20; i < 218; ++i)
                a[f + i] = char((k * 7 + i) & 0xFF);
    }
    a.replace(40, 5, "frmwr");
    a[45] = char(0x10);
    a[46] = char(id);
    a[47] = 0;
    a[204] = 13;
    a[205] = 2;
    a[208] = 9;
    a[209] = 3;
    a[210] = 7;
    return a;
}

// The data bytes (after the lead byte) of frame k of a stream file.
inline std::vector<uint8_t> FrameData(const QByteArray& file, int k) {
    const int f = 16 + k * 218;
    const uint32_t n = uint8_t(file[f + 12]) | uint8_t(file[f + 13]) << 8;
    return {file.begin() + f + 20, file.begin() + f + 20 + int(n)};
}

// A BMP of width x height, one bit per pixel, palette {black, white}; the
// pixel (x, y) from the top is black (index 0) when dark(x, y).
template <class Dark> QByteArray Bmp(int width, int height, Dark dark, int bits = 1) {
    const int row = (width + 31) / 32 * 4;
    QByteArray a(62 + row * height, '\0');
    a[0] = 'B';
    a[1] = 'M';
    PutU32(a, 2, uint32_t(a.size()));
    PutU32(a, 10, 62);
    PutU32(a, 14, 40);
    PutU32(a, 18, uint32_t(width));
    PutU32(a, 22, uint32_t(height));
    a[26] = 1;
    a[28] = char(bits);
    PutU32(a, 54, 0x000000);
    PutU32(a, 58, 0xFFFFFF);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (!dark(x, y))
                a[62 + (height - 1 - y) * row + x / 8] =
                    char(a[62 + (height - 1 - y) * row + x / 8] | (0x80 >> (x % 8)));
    return a;
}
