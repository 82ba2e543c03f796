#pragma once

#include "core/factory/TFactoryEditor.h"
#include "gui/params/TViewParameter.h"

#include <QDialog>

#include <functional>
#include <map>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class TDBEdit;
class TDBLookupComboBox;
class TDBMemo;

// The factory settings editor: the inputs of the current factory set on the left, the
// Results the controller receives on the right, and the file button.
class TEditFactorySettingsForm : public QDialog {
    Q_OBJECT
public:
    TEditFactorySettingsForm(TParameterDatabase& database, TConfiguration& configuration, Feedback& feedback,
                             Clock& clock, QWidget* parent = nullptr);
    ~TEditFactorySettingsForm() override;

    void BtnCreateFileClick();
    // The save dialog; replaceable so the window can be driven without a person.
    std::function<QString(const TFileRequest&)> ChooseFile;
    TFactoryEditor* Editor() const { return m_editor.get(); }

protected:
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QString Text(int record) const;
    struct ResultRow {
        QLineEdit* Value = nullptr;
        QLabel* Unit = nullptr;
        QLabel* Code = nullptr;
    };

    void BuildInputs(QWidget* box);
    void BuildResults(QWidget* box);
    void Bind();
    void ListCloseUp(TDBLookupComboBox* list);
    void EditExit(TDBEdit* edit);
    void ShowState();
    void StoreDescription();
    void NotANumber(const QString& typed);

    TParameterDatabase& m_database;
    bool m_bound = false; // bound to the database for this showing
    TConfiguration& m_configuration;
    Feedback& m_feedback;
    std::unique_ptr<TFactoryEditor> m_editor;
    std::map<QString, TDBLookupComboBox*> m_lists; // by control name
    std::map<QString, TDBEdit*> m_edits;           // by control name
    std::map<QString, ResultRow> m_results;        // by result name
    std::map<QString, QLabel*> m_units;            // unit labels of the flow and pressure inputs
    TDBMemo* m_description = nullptr;
    QPushButton* m_createFile = nullptr;
    QPushButton* m_cancel = nullptr;
};
