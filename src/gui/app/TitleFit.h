#pragma once

#include <QFontMetrics>
#include <QWidget>

// A window is at least as wide as its caption needs: window managers cut a caption that
// is wider than its window ("Serielle Sch... telle wählen"). Room is left for the
// window's own buttons.
inline void KeepCaptionWhole(QWidget* window) {
    const int wanted = QFontMetrics(window->font()).horizontalAdvance(window->windowTitle()) + 140;
    if (window->minimumWidth() < wanted) {
        window->setMinimumWidth(wanted);
    }
}
