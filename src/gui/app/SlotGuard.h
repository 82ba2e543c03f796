#pragma once

#include "gui/app/TApplication.h"

#include <exception>

// Runs the table or link work of a slot or event handler. An error it throws is reported
// (logged, then shown by the handler of the window `where` belongs to) and the slot ends
// normally, so the error never travels through Qt's event loop. True when the work completed.
template <typename Work>
bool Guarded(QObject* where, Work&& work) {
    try {
        work();
        return true;
    } catch (const std::exception& error) {
        TApplication::Report(where, error);
        return false;
    }
}
