#pragma once

#include <QDialog>

class TLanguage;

// The program's name, version and build, and the maker's address.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    TAboutBox(const TLanguage& language, const QString& dataDirectory, QWidget* parent = nullptr);
    static QString VersionText();
};
