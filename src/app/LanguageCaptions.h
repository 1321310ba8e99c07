#pragma once

#include <QString>
#include <vector>

class QObject;

// One language-dependent caption of the main window: the control's name,
// the text-table entry and what is appended to the text.
struct tCaptionRow {
    const char* control;
    int text;
    const char* suffix;
};

// Every caption that changes with the language, in the order they are written.
const std::vector<tCaptionRow>& LanguageCaptionTable();

// The caption of a control: a menu's title, an action's, button's or label's
// text, a group box's title, or the tab caption of a notebook page.
// Returns false when the object has no caption of these kinds.
bool SetControlCaption(QObject* control, const QString& caption);
QString ControlCaption(const QObject* control);
