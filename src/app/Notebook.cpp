#include "app/Notebook.h"

#include <QTabWidget>

int FindPageByCaption(const QTabWidget* notebook, const QString& caption) {
    if (!notebook) return -1;
    for (int i = 0; i < notebook->count(); ++i) {
        if (notebook->tabText(i).compare(caption, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

bool SelectPageByCaption(QTabWidget* notebook, const QString& caption) {
    const int index = FindPageByCaption(notebook, caption);
    if (index < 0) return false;
    notebook->setCurrentIndex(index);
    return true;
}

QString ActivePageCaption(const QTabWidget* notebook) {
    if (!notebook || notebook->currentIndex() < 0) return {};
    return notebook->tabText(notebook->currentIndex());
}
