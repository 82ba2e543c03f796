#pragma once

#include <QString>

class ManualClock;
class TProgram;

// The factory settings editor with the delivered set, and the sender after sending the file
// the editor wrote into a simulated controller. False when a picture could not be saved.
bool TakeFactoryScreenshots(TProgram& program, ManualClock& clock, const QString& prefix,
                            const QString& scratchDirectory);
