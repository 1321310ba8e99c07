#pragma once

#include <QObject>
#include <cstdint>
#include <functional>

class QTimer;
class TfrmMain;

// Watches an operation that goes on from one answer to the next (an upload
// to one of the maker's devices, a decoder write) for the moment the line's
// operations are ended under it: its pause dropped, the interface pulled
// out, the tree rebuilt by the demo or a discovery, or its pending code
// taken over. No answer moves it on after that, so `ended` is called once
// to put away what shows it running (a gauge, the pending code).
//
// An operation that merely waits for a device that does not answer is not
// ended here: it waits as it is until another operation takes its code.
class OperationWatch : public QObject {
    Q_OBJECT

public:
    OperationWatch(TfrmMain* mainWindow, std::function<void()> ended, QObject* parent);

    // The operation of pending code `op` sent its first request.
    void Begin(uint8_t op);
    // It waits in a pause of the data module before its next request; the
    // pause's rest has run.
    void PauseAsked() { pauseAsked = running; }
    void PauseRan() { pauseAsked = false; }
    // It ended by itself.
    void Finish();
    bool Running() const { return running; }

    // How often a running operation is looked at.
    static constexpr int CheckMs = 250;

private:
    void Check();

    TfrmMain* frm;
    std::function<void()> ended;
    QTimer* timer;
    bool running = false;
    bool pauseAsked = false;
    uint8_t op = 0;
    quint64 treeChanges = 0;
};
