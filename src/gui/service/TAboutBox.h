#pragma once

#include <QDialog>

// The program's name, version and build, and the maker's address.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(const QString& programDirectory, QWidget* parent = nullptr);
    static QString VersionText();
};
