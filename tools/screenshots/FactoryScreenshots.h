#pragma once

#include <QString>

class TProgram;

// The factory settings editor with the delivered set, and the sender with the file the
// editor wrote loaded. False when a picture could not be saved.
bool TakeFactoryScreenshots(TProgram& program, const QString& prefix, const QString& scratchDirectory);
