#pragma once

#include <QDialog>

class Feedback;
class QListWidget;
class QTextBrowser;
class TLanguage;

// The program's help: the HTML help file of the current language in a browser,
// with its keyword index beside it.
class THelpViewer : public QDialog {
    Q_OBJECT
public:
    THelpViewer(const TLanguage& language, QString helpDirectory, Feedback& feedback, QWidget* parent = nullptr);

    // The help file for a language index: German for 1, French for 3, English otherwise.
    static QString FileFor(const QString& helpDirectory, int languageIndex);
    // Opens the file at a help context ("ctx" + number), or at its index for 0.
    // A missing file is reported; false then.
    bool ShowContext(int helpContext);

private:
    bool Load();

    const TLanguage& m_language;
    QString m_helpDirectory;
    Feedback& m_feedback;
    QString m_loaded;
    QListWidget* m_index;
    QTextBrowser* m_browser;
};
