#pragma once

#include <cstdint>

class TDM;

// What the interface link changes in the main window's frame (status bar,
// line state, timers, dialogs) on arrival and removal, in one place.
namespace LinkWindow {

// Copies the contact and the interface type into the window's line state.
void SyncInterfaceState(TDM& dm);
// Status panel 2: the interface contact text.
void ShowInterfaceStatus(TDM& dm);
// Status panel 3: the DMX line.
void ShowLineStatus(TDM& dm);
// The USB setting of the settings file.
uint8_t UsbSetting(TDM& dm);
// The program was started with a file to send.
bool HasFileArgument(TDM& dm);
// Starts the timer that sends the command-line file.
void StartFileSend(TDM& dm);
// The received-DMX monitor starts again from scratch.
void ClearMonitorFlags(TDM& dm);
// Stops the polling of received DMX.
void StopReceivePolling(TDM& dm);
void ClearTransmitFlag(TDM& dm);
// Closes the about, question and info dialogs when they are showing.
void CloseDialogs(TDM& dm);

} // namespace LinkWindow
