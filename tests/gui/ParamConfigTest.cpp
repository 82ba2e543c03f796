#include "core/params/TMetadataGridModel.h"
#include "core/params/TParameterDatabase.h"
#include "gui/access/TPasswordForm.h"
#include "gui/params/TParamConfigForm.h"
#include "gui/params/TViewTKXParameter.h"

#include "MetadataDefaults.h"
#include "ProgramFixture.h"
#include "SimulatorProcess.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

namespace {

class ParamConfig : public ProgramTest {
protected:
    TParameterDatabase& Database() { return m_program->Database(); }
    TParamConfigForm* Grid() {
        TParamConfigForm* form = m_program->Windows().ParamConfig();
        form->SetUpColumns();
        form->show();
        QApplication::processEvents();
        return form;
    }
    QTableView* View() { return Find<QTableView>(m_program->Windows().ParamConfig(), "DBGrid1"); }
    // The grid row of a field of the family shown.
    int RowOf(const QString& field) {
        const TMetadataGridModel* model = m_program->Windows().ParamConfig()->Model();
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->index(row, TMetadataGridModel::FieldName).data().toString() == field) {
                return row;
            }
        }
        ADD_FAILURE() << field.toStdString();
        return -1;
    }
    // Types into a cell of the grid and confirms with Enter, as the administrator does.
    void Type(int row, int column, const QString& text) {
        QTableView* view = View();
        const QModelIndex index = view->model()->index(row, column);
        view->setCurrentIndex(index);
        view->edit(index);
        QLineEdit* editor = Editor();
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();
    }
    // The open cell editor, if any (closed ones are gone first).
    QLineEdit* Editor() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (QLineEdit* editor : View()->findChildren<QLineEdit*>()) {
            if (editor->isVisible()) {
                return editor;
            }
        }
        return nullptr;
    }
    QString Cell(int row, int column) { return View()->model()->index(row, column).data().toString(); }
    TViewParameter* OpenTkx() {
        TViewParameter* window = m_program->Windows().ViewTKXParameter();
        window->PrepareWindow();
        window->show();
        QApplication::processEvents();
        return window;
    }
    void AddSet(const std::map<QString, double>& values) {
        TTable& sets = Database().SetTable(Family::Tkx);
        sets.Insert();
        sets.SetFieldText("Name", "Lift");
        for (const auto& [field, value] : values) {
            sets.SetFieldFloat(field, value);
        }
        sets.Post();
    }
};

TEST_F(ParamConfig, SevenColumnsInOrderOverTheFamilyLastShown) {
    Start();
    QTableView* view = (Grid(), View());
    const QStringList expected{"ControllerType", "FieldName", "EpromAddress", "Minimum",
                               "Maximum",        "Default",   "PasswordLevel"};
    ASSERT_EQ(view->model()->columnCount(), 7);
    for (int column = 0; column < 7; ++column) {
        EXPECT_EQ(view->model()->headerData(column, Qt::Horizontal).toString(), expected[column]);
        const QModelIndex cell = view->model()->index(0, column);
        const bool readOnly = column < 2;
        EXPECT_EQ(bool(view->model()->flags(cell) & Qt::ItemIsEditable), !readOnly) << column;
        EXPECT_EQ(cell.data(Qt::BackgroundRole).value<QBrush>().color(),
                  readOnly ? QColor(255, 255, 128) : QColor(Qt::black))
            << column;
    }
    EXPECT_EQ(view->columnWidth(0), 35);
    EXPECT_EQ(view->columnWidth(1), 120);
    EXPECT_EQ(m_program->Windows().ParamConfig()->windowTitle(), "Parameter ");

    // Every row before a parameter window restricted the table, then only that family's.
    const int all = view->model()->rowCount();
    m_program->Windows().ParamConfig()->hide();
    OpenTkx()->close();
    Grid();
    EXPECT_LT(view->model()->rowCount(), all);
    for (int row = 0; row < view->model()->rowCount(); ++row) {
        ASSERT_EQ(Cell(row, 0), "TKX");
    }
}

TEST_F(ParamConfig, TheAdministratorsMenuItemShowsTheListModallyEmptyWithoutADatabase) {
    TProgram& program = Start();
    TPasswordForm* password = program.Windows().PasswordForm();
    password->show();
    QTest::keyClicks(Find<QLineEdit>(password, "Password"), "7305");
    Find<QPushButton>(password, "FormPasswordBtOk")->click();
    program.Database().CloseDatabase();
    int rows = -1;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        TParamConfigForm* form = program.Windows().ParamConfig();
        modal = form->isVisible() && form->isModal();
        rows = View()->model()->rowCount();
        form->close();
    });
    Find<QAction>(&program.MainWindow(), "MenuMainParameterList")->trigger();
    EXPECT_TRUE(modal);
    EXPECT_EQ(rows, 0);
    EXPECT_TRUE(m_feedback.Messages.empty() || m_feedback.Messages.back().Text != "Database not available");
}

TEST_F(ParamConfig, ALoweredMaximumClampsTheNextEditInTheTkxWindow) {
    Start();
    AddSet({{"FastUp", 9}});
    OpenTkx()->close();
    Grid();
    const int row = RowOf("FastUp");
    // Down to the default, 8: lower would leave the default outside the range.
    Type(row, TMetadataGridModel::Maximum, "8");
    EXPECT_EQ(Cell(row, TMetadataGridModel::Maximum), "8");
    m_program->Windows().ParamConfig()->hide();

    TViewParameter* window = OpenTkx();
    auto* edit = Find<QLineEdit>(window, "EditFastUp");
    edit->clear();
    QTest::keyClicks(edit, "8.5");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(m_feedback.Messages.back().Text, "Fast\rMax. =       8.00"); // the field named first
    EXPECT_DOUBLE_EQ(Database().SetTable(Family::Tkx).FieldAsFloat("FastUp"), 8);
}

TEST_F(ParamConfig, RefusedRowsKeepTheirOldValuesAndTheTypedText) {
    Start();
    OpenTkx()->close();
    Grid();
    const int row = RowOf("FastUp");
    const QString minimum = Cell(row, TMetadataGridModel::Minimum);
    struct Case {
        int Column;
        QString Text;
        QString Message;
    };
    const Case cases[] = {
        {TMetadataGridModel::Minimum, "1000", "Minimum 1000 is above Maximum"},
        {TMetadataGridModel::Maximum, "-1", "is above Maximum -1"},
        {TMetadataGridModel::PasswordLevel, "0", "PasswordLevel must be 1 to 5, not 0"},
        {TMetadataGridModel::PasswordLevel, "6", "PasswordLevel must be 1 to 5, not 6"},
        {TMetadataGridModel::Default, "abc", "'abc' is not a valid value for Default"},
        {TMetadataGridModel::EpromAddress, "1.5", "'1.5' is not a valid value for EpromAddress"},
    };
    for (const Case& c : cases) {
        const QString before = Cell(row, c.Column);
        const auto messages = m_feedback.Messages.size();
        Type(row, c.Column, c.Text);
        ASSERT_EQ(m_feedback.Messages.size(), messages + 1) << c.Text.toStdString();
        EXPECT_TRUE(m_feedback.Messages.back().Text.startsWith(c.Message) ||
                    m_feedback.Messages.back().Text.contains(c.Message))
            << m_feedback.Messages.back().Text.toStdString();
        EXPECT_EQ(Cell(row, c.Column), before);
        // The cell is being edited again, with what was typed.
        QApplication::processEvents();
        QLineEdit* editor = Editor();
        ASSERT_NE(editor, nullptr) << c.Text.toStdString();
        EXPECT_EQ(editor->text(), c.Text);
        QTest::keyClick(editor, Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_EQ(Cell(row, TMetadataGridModel::Minimum), minimum);
}

// A new row cannot break the family: it is stored only with a field name the sets have and no other
// row uses; an unknown or a second name is refused by name, and a row left without one is dropped.
TEST_F(ParamConfig, ANewRowIsStoredOnlyWithAFreeFieldNameAndDeleteAsksFirst) {
    Start();
    OpenTkx()->close();
    Grid();
    QTableView* view = View();
    TTable& metadata = m_program->Database().TableParameterDBSettings();
    const int stored = metadata.RecordCount();
    const int rows = view->model()->rowCount();
    for (const int key : {int(Qt::Key_Insert), int(Qt::Key_Down)}) {
        view->setCurrentIndex(view->model()->index(key == Qt::Key_Insert ? 0 : rows - 1, 2));
        QTest::keyClick(view, Qt::Key(key));
        ASSERT_EQ(view->model()->rowCount(), rows + 1) << key;
        const int added = view->currentIndex().row();
        EXPECT_EQ(added, rows);
        EXPECT_EQ(Cell(added, 0), "TKX");
        EXPECT_EQ(metadata.RecordCount(), stored) << "nothing stored before the row has a name";
        for (const char* name : {"NoSuchField", "FastUp"}) {
            Type(added, TMetadataGridModel::FieldName, name);
            EXPECT_TRUE(m_feedback.Messages.back().Text.startsWith(QString(name) == "FastUp" ? "FastUp has a row"
                                                                                             : "'NoSuchField' is not"))
                << m_feedback.Messages.back().Text.toStdString();
            QApplication::processEvents();
            ASSERT_NE(Editor(), nullptr);
            QTest::keyClick(Editor(), Qt::Key_Escape);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        // Left without a name: the row goes, and the table never held it.
        view->setCurrentIndex(view->model()->index(0, 3));
        QApplication::processEvents();
        EXPECT_EQ(view->model()->rowCount(), rows) << key;
        EXPECT_EQ(metadata.RecordCount(), stored);
    }

    // A default outside the row's range would make every set with it unwritable.
    Type(0, TMetadataGridModel::Default, "99999");
    EXPECT_TRUE(m_feedback.Messages.back().Text.startsWith("Default 99999 lies outside"))
        << m_feedback.Messages.back().Text.toStdString();
    QApplication::processEvents();
    if (Editor() != nullptr) {
        QTest::keyClick(Editor(), Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    m_feedback.Answers = {MessageAnswer::No};
    view->setCurrentIndex(view->model()->index(rows - 1, 3));
    QTest::keyClick(view, Qt::Key_Delete);
    EXPECT_EQ(view->model()->rowCount(), rows);
    EXPECT_EQ(m_feedback.Messages.back().Buttons, MessageButtons::YesNo);
    m_feedback.Answers = {MessageAnswer::Yes};
    QTest::keyClick(view, Qt::Key_Delete);
    EXPECT_EQ(view->model()->rowCount(), rows - 1);
}

TEST_F(ParamConfig, ARaisedLevelDisablesTheFieldAndKeepsItOutOfTheWrite) {
    SimulatorProcess simulator({"--family", "TKX", "--software", "2220"});
    ASSERT_FALSE(simulator.Device().isEmpty());
    TProgram& program =
        Start("[Language]\nLanguageValue=2\n[Delays]\nParameterRead=150\nEEpromWrite=0\n", {simulator.Device()});
    AddSet(WithMetadataDefaults(Database(), Family::Tkx, {{"FastUp", 7.25}, {"SlowUp", 0.5}}));
    OpenTkx()->close();
    Grid();
    const int row = RowOf("FastUp");
    const int address = Cell(row, TMetadataGridModel::EpromAddress).toInt();
    Type(row, TMetadataGridModel::PasswordLevel, "3");
    m_program->Windows().ParamConfig()->hide();

    TViewParameter* window = program.Windows().ViewTKXParameter();
    window->SetPort(TakePort());
    OpenTkx();
    EXPECT_FALSE(Find<QWidget>(window, "EditFastUp")->isEnabled());
    EXPECT_TRUE(Find<QWidget>(window, "EditSlowUp")->isEnabled());
    Find<QPushButton>(window, "BtnWrite")->click();
    const QString log = simulator.Log();
    EXPECT_TRUE(log.contains("received t\\r")) << log.toStdString();
    EXPECT_FALSE(log.contains(QStringLiteral("received E:%1:").arg(address, 3, 10, QLatin1Char('0'))));
    EXPECT_TRUE(log.contains("received E:")) << "the other parameters were written";
    window->close();
}

TEST_F(ParamConfig, PrintAndReportGoToTheChosenPdf) {
    Start();
    AddSet({{"FastUp", 7.25}});
    TViewParameter* window = OpenTkx();
    const QString pdf = m_tree.Path("printed.pdf");
    int dialogs = 0;
    const auto chooser = window->ChoosePrinter;
    window->ChoosePrinter = [&](QPrinter& printer) {
        ++dialogs;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    for (const char* button : {"BtnPrint", "BtnServiceReport"}) {
        QFile::remove(pdf);
        Find<QPushButton>(window, button)->click();
        QProcess text;
        text.start("pdftotext", {"-layout", pdf, "-"});
        ASSERT_TRUE(text.waitForFinished(20000));
        const QString out = QString::fromUtf8(text.readAllStandardOutput());
        EXPECT_TRUE(out.contains("Lift")) << button << out.toStdString();
        EXPECT_TRUE(out.contains("7.25")) << button;
        EXPECT_EQ(Find<QProgressBar>(window, "ProgressBarTransmit")->value(), 0);
    }
    EXPECT_EQ(dialogs, 2);
    // Without the hook, the real print dialog comes up; cancelling it prints nothing.
    window->ChoosePrinter = chooser;
    QString dialogName;
    QTimer::singleShot(0, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            dialogName = modal->objectName();
            modal->close();
        }
    });
    Find<QPushButton>(window, "BtnPrint")->click();
    EXPECT_EQ(dialogName, "PrintParameterDialog");
    EXPECT_EQ(Find<QProgressBar>(window, "ProgressBarTransmit")->value(), 0);
    window->close();
}

} // namespace
