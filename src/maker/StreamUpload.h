#pragma once

class TfrmMain;

// Uploads by stream through the interface, and the interface's firmware
// update. The upload buttons route the maker's stream-loaded devices here; the
// firmware menu item and the RF page's configuration button start the update.
void UploadProgramsByStream(TfrmMain& frm);
void UploadConfigByStream(TfrmMain& frm);
// Lets the user pick a firmware file and checks it against the interface
// type; true when it fits (the file can then be sent by firmware upload).
bool UpdateFirmware(TfrmMain& frm);
