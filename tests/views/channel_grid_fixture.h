#pragma once

#include <QCoreApplication>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <string>

#include "maker/Shapes.h"
#include "sensor/RdmDeviceFixture.h"
#include "views/dmx_channel_map.h"

// Two devices on the simulated line, as after a scan, with the "DMX issue"
// tab open. Channels are numbered 1..512 as on the grid.
class ChannelGrid : public RdmDeviceFixture {
protected:
    void SetUp() override {
        RdmDeviceFixture::SetUp();
        grid = Find<QTableWidget>("StringGrid1");
        viewport = grid->viewport();
        w->showMainPage("RDM");
        Find<QTabWidget>("pcRdm")->setCurrentWidget(Find<QWidget>("tsDmxKiosztas"));
        Settle();
        ClearLog();
    }

    // Where a device sits, in its record and on the simulated line.
    void Place(int node, int address, uint16_t footprint, uint8_t personality = 1) {
        tRdmDevice& r = Rec(node);
        r.dmxStartAddress = uint16_t(address);
        r.currentPersonality = personality;
        r.personalities[1].footprint = footprint;
        SimRdmResponder& d = node == 1 ? dev1 : dev2;
        d.SetDeviceInfo(0x0042, 0x0101, personality, 2, uint16_t(address), 0, 0, footprint);
    }
    void Rebuild() {
        TDmxChannelMap::of(w)->BuildDmxChannelMap();
        QCoreApplication::processEvents();
    }

    // The middle of a channel's cell, and points beside the cells.
    static QPoint At(int channel) {
        const int i = channel - 1;
        return {(i % 22) * 22 + 11, (i / 22) * 17 + 8};
    }
    static constexpr QPoint RightOfRow1{22 * 22 + 4, 8};
    static constexpr QPoint BelowGrid{50, 24 * 17 + 3};

    void Press(QPoint p) { QTest::mousePress(viewport, Qt::LeftButton, {}, p); }
    void Move(QPoint p) { QTest::mouseMove(viewport, p); }
    void Release(QPoint p) {
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, p);
        Settle();
    }

    // The colours of channels 1..512 as letters: W free, G grey, S silver,
    // Y selected, R collision; from the map, and as the grid draws them.
    static char Letter(uint32_t c) {
        switch (c) {
        case 0xFFFFFF:
            return 'W';
        case 0x808080:
            return 'G';
        case 0xC0C0C0:
            return 'S';
        case 0x00FFFF:
            return 'Y';
        case 0x0000FF:
            return 'R';
        default:
            return '?';
        }
    }
    std::string MapLetters() const {
        std::string s;
        for (const tDmxChannel& ch : w->DmxChannelMap)
            s += Letter(ch.colour);
        return s;
    }
    std::string DrawnLetters() const {
        const QImage img = viewport->grab().toImage();
        std::string s;
        for (int ch = 1; ch <= 512; ++ch) {
            // The cell's lower right corner, clear of its number.
            const QPoint p = At(ch) + QPoint(8, 6);
            s += Letter(TShape::FromQColor(img.pixelColor(p)));
        }
        return s;
    }

    // The start addresses sent since the last ClearLog.
    std::vector<int> AddressesSent() const {
        std::vector<int> out;
        for (const auto& [cc, pid, data] : Sent())
            if (cc == 0x30 && pid == 0x00F0 && data.size() == 2) out.push_back(data[0] << 8 | data[1]);
        return out;
    }

    QTableWidget* grid = nullptr;
    QWidget* viewport = nullptr;
};
