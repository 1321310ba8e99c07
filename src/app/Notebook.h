#pragma once

#include <QString>

class QTabWidget;

// Notebook pages are addressed by caption. The first page whose caption equals
// the given one, ignoring case, is shown; an unknown caption changes nothing.
// Returns true when a page was found.
bool SelectPageByCaption(QTabWidget* notebook, const QString& caption);

// Caption of the page a notebook shows ("" when it has none).
QString ActivePageCaption(const QTabWidget* notebook);

// Index of the first page with the given caption (ignoring case), or -1.
int FindPageByCaption(const QTabWidget* notebook, const QString& caption);
