#pragma once

#include <QDialog>

class TLanguage;

class QRadioButton;

// The kind of file an export or import works on: the current set (.set), all sets
// (.prm) or, for an export, a text file (.txt). The choice stays from one use to the next.
class TExportImportForm : public QDialog {
    Q_OBJECT
public:
    enum Choice { Nothing = 0, Cancelled = 1, AllSets = 2, CurrentSet = 3, TextFile = 4 };

    explicit TExportImportForm(const TLanguage& language, QWidget* parent = nullptr);

    int ExportImportChoice() const { return m_choice; }
    // The text-file kind is offered for an export only.
    void OfferTextFile(bool offer);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BitBtnOkClick();
    void BitBtnCancelClick();

    int m_choice = Nothing;
    QRadioButton* m_activeSet;
    QRadioButton* m_allSets;
    QRadioButton* m_textFile;
};
