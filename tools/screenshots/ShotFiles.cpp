#include "ShotFiles.h"

#include <QApplication>
#include <QWidget>

#include <cstdio>

bool SavePicture(const QPixmap& picture, const QString& path) {
    const bool saved = picture.save(path);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
    return saved;
}

bool SaveWindowShot(QWidget* window, const QString& path, bool adjustSize) {
    window->show();
    if (adjustSize) {
        window->adjustSize();
    }
    QApplication::processEvents();
    const bool saved = SavePicture(window->grab(), path);
    window->hide();
    return saved;
}
