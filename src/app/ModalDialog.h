#pragma once

#include <QDialog>
#include <functional>

// Base of the program's modal dialogs. Each dialog fills its texts in
// FormActivate, every time it is shown. ShowModal() runs it modally; when an
// answerer is set (tests do this), the dialog is shown without a nested event
// loop, the answerer plays the user (it clicks the dialog's buttons) and
// ShowModal() returns the dialog's result. A dialog the answerer leaves open
// is cancelled.
class TModalDialog : public QDialog {
    Q_OBJECT

public:
    using Answerer = std::function<void(TModalDialog&)>;

    explicit TModalDialog(QWidget* parent = nullptr);

    int ShowModal();

    void setAnswerer(Answerer answerer) { answer = std::move(answerer); }
    bool hasAnswerer() const { return static_cast<bool>(answer); }

    // How many times the dialog has been shown (tests use this to see that
    // a dialog appeared).
    int timesShown() const { return shownCount; }

protected:
    virtual void FormActivate() {}
    void showEvent(QShowEvent* event) override;

private:
    Answerer answer;
    int shownCount = 0;
};
