#pragma once

#include <QPixmap>
#include <QString>

class QWidget;

// Writes a picture and says so on standard output, so the script's log lists what was made.
bool SavePicture(const QPixmap& picture, const QString& path);

// Shows the window (at its natural size when asked), grabs it and hides it again.
bool SaveWindowShot(QWidget* window, const QString& path, bool adjustSize);
