#include "app/ModalDialog.h"

#include <QShowEvent>

TModalDialog::TModalDialog(QWidget* parent) : QDialog(parent) {
    setModal(true);
}

void TModalDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        ++shownCount;
        FormActivate();
    }
}

int TModalDialog::ShowModal() {
    if (!answer) return exec();
    setResult(QDialog::Rejected);
    show();
    answer(*this);
    if (isVisible()) reject();
    return result();
}
