#pragma once

#include <QDialog>

#include <memory>

class Feedback;
class QTableView;
class TMetadataGridModel;
class TParameterDatabase;

// The parameter list: the metadata table in a grid for the administrator, edited in
// place, with rows appended (Insert, or moving below the last row) and deleted
// (Delete, after a question).
class TParamConfigForm : public QDialog {
    Q_OBJECT
public:
    TParamConfigForm(TParameterDatabase& database, Feedback& ui, QWidget* parent = nullptr);
    ~TParamConfigForm() override;

    // Gives the grid its columns; the main window calls it before every showing.
    void SetUpColumns();
    TMetadataGridModel* Model() const { return m_model.get(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TParameterDatabase& m_database;
    Feedback& m_ui;
    QTableView* m_grid = nullptr;
    std::unique_ptr<TMetadataGridModel> m_model;
};
