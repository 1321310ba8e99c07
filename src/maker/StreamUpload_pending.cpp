// Empty until the stream sender is built.
#include "maker/StreamUpload.h"

void UploadProgramsByStream(TfrmMain&) {}
void UploadConfigByStream(TfrmMain&) {}
bool UpdateFirmware(TfrmMain&) {
    return false;
}
