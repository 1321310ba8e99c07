#pragma once

#include <QObject>
#include <cstdint>
#include <functional>

class QTimer;
class TfrmMain;

// Watches an operation that goes on from one answer to the next (an upload
// to one of the maker's devices, a decoder write) for the moment it is cut
// off: the line's operations ended under it (the interface pulled out, the
// tree rebuilt by the demo or a discovery) or its pause dropped. No answer
// moves it on after that, so `ended` is called once to put away what shows
// it running (a gauge, the pending code).
//
// An operation that stopped by itself is no cut-off: one whose request went
// unanswered, or whose pending code another operation took, stops being
// watched, and what shows it stays where it stopped.
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
    // The line's operations are being ended: the operation is cut off if it
    // still runs, and left as it stopped if it did not.
    void LineOperationsEnding();
    bool StillPending() const;
    void CutOff();

    TfrmMain* frm;
    std::function<void()> ended;
    QTimer* timer;
    bool running = false;
    bool pauseAsked = false;
    bool stopped = false; // stopped unanswered, and still shows where
    uint8_t op = 0;
};
