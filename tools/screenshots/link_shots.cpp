// The picture of the setup dialog listing simulated network interfaces.
#include "link/network_fixture.h"
#include "shot.h"

TEST_F(NetworkTest, DialogListingInterfaces) {
    Listen();
    SimNetworkInterface sim(FreeUdpPort());
    Announce(sim, 1);
    sim.identity = {0x00A3F10C, 0x66, "Truss left", 2, 1, 24, 11, 5, 1};
    Announce(sim, 2);
    dlg().adjustSize();
    SaveShot(dlg(), "network-interfaces.png");
}
