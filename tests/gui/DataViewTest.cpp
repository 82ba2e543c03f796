#include "gui/app/TProgram.h"
#include "gui/params/TViewTKXParameter.h"
#include "gui/view/TCurveDisplay.h"
#include "gui/view/TFormViewDataCollect.h"
#include "gui/view/TZoom.h"

#include "core/livedata/TDataFile.h"
#include "core/livedata/TDataRecorder.h"
#include "core/params/TParameterDatabase.h"
#include "core/params/TTable.h"

#include "FileSizeLimit.h"
#include "ProgramFixture.h"
#include "SimulatorProcess.h"
#include "ThrowingThroughQt.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QGraphicsView>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QSerialPort>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

TDataRecord Rec(int kind, int runTime, quint8 signals, int setPoint = 0) {
    TDataRecord r;
    r.Kind = kind;
    r.RunTime = static_cast<std::int16_t>(runTime);
    r.Signals = signals;
    r.SetPoint = static_cast<std::int16_t>(setPoint);
    r.ActualValue = static_cast<std::int16_t>(setPoint - 100);
    r.SolenoidValue = static_cast<std::int16_t>(runTime * 3);
    r.InverterValue = static_cast<std::int16_t>(-runTime);
    if (kind == TDataRecord::RunStart) {
        r.StartDate = 46366; // 10 December 2026
        r.StartTime = 5000000;
    }
    return r;
}

// A run of `count` records, one per 1/180 s; signals change at the 10th record.
std::vector<TDataRecord> LiftRun(int count, quint8 early, quint8 from10th) {
    std::vector<TDataRecord> run;
    for (int i = 0; i < count; ++i) {
        run.push_back(
            Rec(i == 0 ? TDataRecord::RunStart : TDataRecord::Sample, i, i < 9 ? early : from10th, 1000 + 10 * i));
    }
    run.push_back(Rec(TDataRecord::Gap, count - 1, 0));
    return run;
}

QByteArray DataFileOf(const std::vector<std::vector<TDataRecord>>& pictures) {
    TDataFileHeader header;
    QByteArray records;
    for (const auto& picture : pictures) {
        header.PictureTable[std::size_t(header.PictureCount++)] = {std::int32_t(TDataFileHeader::Size + records.size()),
                                                                   std::int32_t(picture.size())};
        for (const TDataRecord& r : picture) {
            std::uint8_t raw[TDataRecord::Size];
            r.Encode(raw);
            records.append(reinterpret_cast<const char*>(raw), TDataRecord::Size);
            ++header.RecordCount;
        }
    }
    QByteArray bytes(TDataFileHeader::Size, '\0');
    header.Encode(reinterpret_cast<std::uint8_t*>(bytes.data()));
    return bytes + records;
}

class DataView : public ProgramTest {
protected:
    // The program with the simulator's port and a temporary data file holding these pictures.
    TFormViewDataCollect& Open(const std::vector<std::vector<TDataRecord>>& pictures, const QStringList& sim = {},
                               const QByteArray& general = {}) {
        // A live stream starts once the view listens: the runs it streamed before would be
        // flushed when the port opens, and on a busy machine that can be a whole run.
        const bool live = sim.contains("--live");
        m_simulator = std::make_unique<SimulatorProcess>(live ? sim + QStringList{"--held"} : sim);
        EXPECT_FALSE(m_simulator->Device().isEmpty());
        TProgram& program = Start("[Language]\nLanguageValue=2\n[Delays]\nParameterRead=150\n[General]\n" + general,
                                  {m_simulator->Device()});
        if (!pictures.empty()) {
            m_tree.Write("docs/Faldmark/WinTorvex32/DataFile.dat", DataFileOf(pictures));
        }
        PortReservation port = program.Configuration().ReservePort(m_simulator->Device());
        EXPECT_TRUE(port);
        m_port = port.Get();
        m_view = std::make_unique<TFormViewDataCollect>(program.Configuration(), m_feedback, m_clock, std::move(port),
                                                        &program.Windows());
        m_view->ChooseFile = [this](const TFileRequest& request) {
            m_requests.push_back(request);
            return m_nextFiles.empty() ? QString() : m_nextFiles.takeFirst();
        };
        m_view->show();
        if (live) {
            EXPECT_TRUE(QTest::qWaitFor([this] { return m_view->Recorder().ReceiverPresent(); }, 10000));
            m_simulator->Cue();
        }
        return *m_view;
    }
    void TearDown() override {
        m_view.reset();
        ProgramTest::TearDown();
    }
    QAction* Action(const char* name) { return Find<QAction>(m_view.get(), name); }
    QString Panel(int panel) {
        return Find<QLabel>(m_view.get(), QString("StatusPanel%1").arg(panel).toLatin1().constData())->text();
    }
    bool WaitForFirstDraw() {
        auto* timer = Find<QTimer>(m_view.get(), "TimerFirstDraw");
        return QTest::qWaitFor([timer] { return !timer->isActive(); }, 3000);
    }
    QString DataFilePath() { return m_tree.Path("docs/Faldmark/WinTorvex32/DataFile.dat"); }

    std::unique_ptr<SimulatorProcess> m_simulator;
    TCommParameter* m_port = nullptr;
    std::unique_ptr<TFormViewDataCollect> m_view;
    QStringList m_nextFiles;
    std::vector<TFileRequest> m_requests;
};

TEST_F(DataView, AFileWithPicturesShowsItsLastPicture666msAfterOpening) {
    TFormViewDataCollect& view = Open({LiftRun(12, 0x01, 0x01), LiftRun(15, 0x08, 0x04), LiftRun(20, 0x01, 0x02)});
    auto* timer = Find<QTimer>(&view, "TimerFirstDraw");
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 666);
    EXPECT_EQ(view.Curves().PointCount(0), 0); // nothing before the timer fires
    EXPECT_EQ(view.windowTitle(), "WinTorvex32 - Version: 1.45  Collect data : " + m_simulator->Device());
    ASSERT_TRUE(WaitForFirstDraw());
    EXPECT_EQ(view.CurrentPicture(), 2);
    EXPECT_EQ(Panel(0), "Picture: 3");
    EXPECT_EQ(Panel(1), "Total pictures: 3");
    EXPECT_TRUE(Panel(2).startsWith("Start recording: ")) << Panel(2).toStdString();
    EXPECT_FALSE(Panel(2).contains("Unknown"));
    EXPECT_EQ(view.Curves().PointCount(0), 20);              // the gap record's time runs backwards: not drawn
    EXPECT_TRUE(view.Curves().TitleText().endsWith("\nUP")); // K2 from the 10th record on
    EXPECT_TRUE(Action("ToolButtonFirst")->isEnabled());
    EXPECT_FALSE(Action("ToolButtonLast")->isEnabled());

    // The 10th record decides the title: the second picture starts with K4 and goes on with K3.
    Action("ToolButtonFirst")->trigger();
    EXPECT_EQ(Panel(0), "Picture: 1");
    EXPECT_TRUE(view.Curves().TitleText().endsWith("\nUP"));
    Action("ToolButtonNext")->trigger();
    EXPECT_TRUE(view.Curves().TitleText().endsWith("\nDOWN"));
}

TEST_F(DataView, AnEmptyFileDrawsNothingAndKeepsNavigationClosed) {
    TFormViewDataCollect& view = Open({});
    EXPECT_FALSE(Find<QTimer>(&view, "TimerFirstDraw")->isActive());
    for (const char* name : {"ToolButtonFirst", "ToolButtonPrev", "ToolButtonNext", "ToolButtonLast"}) {
        EXPECT_FALSE(Action(name)->isEnabled()) << name;
    }
    EXPECT_FALSE(Find<QLineEdit>(&view, "EditNbParaSet")->isEnabled());
    EXPECT_EQ(Panel(2), "Start recording: Unknown");
}

TEST_F(DataView, StopLetsGoOfThePortAndStartTakesItBack) {
    TFormViewDataCollect& view = Open({LiftRun(12, 0x01, 0x01)});
    EXPECT_TRUE(m_port->InUse);
    EXPECT_TRUE(view.Recorder().ReceiverPresent());
    EXPECT_FALSE(Action("MenuViewDataFileSaveAs")->isEnabled());
    EXPECT_FALSE(Action("MenuViewDataFileRestartCollectingData")->isEnabled());

    Find<QToolButton>(&view, "ToolButtonDataFileStop")->click();
    EXPECT_FALSE(m_port->InUse);
    EXPECT_FALSE(view.Recorder().ReceiverPresent());
    EXPECT_TRUE(Action("MenuViewDataFileSaveAs")->isEnabled());
    EXPECT_TRUE(Action("MenuViewDataFileRestartCollectingData")->isEnabled());
    EXPECT_FALSE(Action("MenuViewDataFileStop")->isEnabled());
    EXPECT_EQ(Panel(0), "Picture: 1"); // the last picture is drawn at once
    {
        QSerialPort other(m_simulator->Device());
        EXPECT_TRUE(other.open(QIODevice::ReadWrite)) << other.errorString().toStdString();
    }

    Find<QToolButton>(&view, "ToolButtonDataFileStart")->click();
    EXPECT_TRUE(m_port->InUse);
    EXPECT_TRUE(view.Recorder().ReceiverPresent());
    EXPECT_TRUE(Find<QTimer>(&view, "TimerFirstDraw")->isActive());
    EXPECT_TRUE(Action("MenuViewDataFileStop")->isEnabled());
    EXPECT_FALSE(Action("MenuViewDataFileSaveAs")->isEnabled());
    QSerialPort other(m_simulator->Device());
    EXPECT_FALSE(other.open(QIODevice::ReadWrite));
}

TEST_F(DataView, NewAsksBeforeEmptyingAFileWithPicturesAndNoKeepsIt) {
    TFormViewDataCollect& view = Open({LiftRun(12, 0x01, 0x01), LiftRun(12, 0x01, 0x01)});
    m_feedback.Answers = {MessageAnswer::No};
    Action("MenuViewDataFileNew")->trigger();
    ASSERT_EQ(m_feedback.Messages.size(), 1u);
    EXPECT_EQ(m_feedback.Messages[0].Text, "Current File is not empty!\r\rOverwrite this File ?");
    EXPECT_EQ(m_feedback.Messages[0].Kind, MessageKind::Warning);
    EXPECT_EQ(view.Recorder().Header().PictureCount, 2);
    EXPECT_EQ(view.CurrentPicture(), 1);

    m_feedback.Answers = {MessageAnswer::Yes};
    Action("MenuViewDataFileNew")->trigger();
    EXPECT_EQ(view.Recorder().Header().PictureCount, 0);
    EXPECT_EQ(view.CurrentPicture(), -1);
    EXPECT_EQ(Panel(0), "Picture: 0");
    // An empty file is emptied again without a question.
    Action("MenuViewDataFileNew")->trigger();
    EXPECT_EQ(m_feedback.Messages.size(), 2u);
}

TEST_F(DataView, OpenRefusesAnExtensionInCapitalsAndACancelledDialogReopensTheLastFile) {
    TFormViewDataCollect& view = Open({});
    const QString stored = m_tree.Path("stored.dat");
    QFile::remove(stored);
    m_tree.Write("stored.dat", DataFileOf({LiftRun(12, 0x01, 0x01), LiftRun(30, 0x04, 0x04)}));
    m_tree.Write("RUN.DAT", DataFileOf({LiftRun(12, 0x01, 0x01)}));

    m_nextFiles = {m_tree.Path("RUN.DAT")};
    Action("MenuViewDataFileOpen")->trigger();
    ASSERT_EQ(m_feedback.Messages.size(), 1u);
    EXPECT_EQ(m_feedback.Messages[0].Text, "File Format is not valid : \r   *.DAT");
    EXPECT_EQ(m_feedback.Messages[0].Kind, MessageKind::Error);
    EXPECT_EQ(view.Recorder().Header().PictureCount, 0);
    EXPECT_EQ(m_requests.back().Directory, m_program->Configuration().GetWorkDirectory());

    m_nextFiles = {stored};
    Action("MenuViewDataFileOpen")->trigger();
    EXPECT_EQ(view.windowTitle(), "WinTorvex32 - View data : stored.dat");
    EXPECT_EQ(view.Recorder().FileName(), stored);
    ASSERT_TRUE(WaitForFirstDraw());
    EXPECT_EQ(Panel(0), "Picture: 2");

    // Back to the temporary file, then Open cancelled: the file used last comes back.
    m_feedback.Answers = {MessageAnswer::Yes};
    Action("MenuViewDataFileNew")->trigger();
    EXPECT_EQ(view.Recorder().FileName(), DataFilePath());
    m_feedback.Answers = {MessageAnswer::Yes};
    Action("MenuViewDataFileOpen")->trigger();
    EXPECT_EQ(m_requests.back().ProposedName, stored);
    EXPECT_EQ(view.Recorder().FileName(), stored);
    EXPECT_EQ(view.Recorder().Header().PictureCount, 2);
}

TEST_F(DataView, SaveAsWhileCollectingWritesAHeaderThatListsEveryPicture) {
    TFormViewDataCollect& view = Open({LiftRun(12, 0x01, 0x01)}, {"--live", "--runs", "2", "--run-length", "0.5",
                                                                  "--gap", "0.4", "--frame-rate", "90"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.Recorder().Header().PictureCount >= 3; }, 15000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.CurrentPicture() == 2; }, 5000)); // the run's end was drawn
    const QString copy = m_tree.Path("copy.dat");
    m_nextFiles = {copy};
    view.SaveAsClick();
    QFile file(copy);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QString error;
    const auto scan = DataFile::Inspect(file, error);
    ASSERT_TRUE(scan) << error.toStdString();
    const TDataFileHeader header = view.Recorder().Header();
    EXPECT_EQ(scan->Header.PictureCount, header.PictureCount);
    EXPECT_EQ(scan->Header.PictureTable, header.PictureTable);
    EXPECT_EQ(scan->RecoveredRecords, 0); // nothing beyond what the copied header accounts for
}

TEST_F(DataView, TheReadOutShowsTheStoredValuesOfTheRecordUnderTheMouse) {
    // Counts 0 and 36: 19 filled points between the two records, none of them read out.
    std::vector<TDataRecord> picture{Rec(TDataRecord::RunStart, 0, 0x01, 1000), Rec(0, 36, 0x02, 2345),
                                     Rec(0, 37, 0x02, 2400)};
    TFormViewDataCollect& view = Open({picture});
    ASSERT_TRUE(WaitForFirstDraw());
    EXPECT_EQ(view.Curves().PointCount(0), 22);
    QWidget* viewport = Find<QGraphicsView>(&view, "ChartAnalogValuesView")->viewport();
    const QPoint at = view.Curves().PositionOf(160, 2.0); // nearer 200 ms than 0 ms
    QTest::mouseMove(viewport, viewport->mapFrom(&view.Curves(), at));
    EXPECT_EQ(Find<QLabel>(&view, "LabelSet")->text(), "2.345");
    EXPECT_EQ(Find<QLabel>(&view, "LabelAct")->text(), "2.245");
    EXPECT_EQ(Find<QLabel>(&view, "LabelContr")->text(), "0.200");
    EXPECT_EQ(Find<QLabel>(&view, "LabelMagVolt")->text(), "0.108");
    EXPECT_EQ(Find<QLabel>(&view, "LabelFreqVolt")->text(), "-0.036");
    EXPECT_EQ(Find<QLabel>(&view, "LabelK1")->text(), "Off");
    EXPECT_EQ(Find<QLabel>(&view, "LabelK2")->text(), "On");
    EXPECT_EQ(Find<QLabel>(&view, "LabelLogic")->text(), "Slow up");
}

TEST_F(DataView, ThePictureNumberTakesDigitsOnlyAndNamesTheRangeOtherwise) {
    TFormViewDataCollect& view = Open({LiftRun(12, 0x01, 0x01), LiftRun(12, 0x04, 0x04), LiftRun(12, 0x01, 0x01)});
    ASSERT_TRUE(WaitForFirstDraw());
    auto* number = Find<QLineEdit>(&view, "EditNbParaSet");
    ASSERT_TRUE(number->isEnabled());
    QTest::keyClicks(number, "1x");
    EXPECT_EQ(number->text(), "");
    QTest::keyClicks(number, "0");
    QTest::keyClick(number, Qt::Key_Return);
    ASSERT_EQ(m_feedback.Messages.size(), 1u);
    EXPECT_EQ(m_feedback.Messages[0].Caption, "Range Error");
    EXPECT_EQ(m_feedback.Messages[0].Text, "1 ... 3");
    EXPECT_EQ(m_feedback.Messages[0].Kind, MessageKind::Error);
    EXPECT_EQ(number->text(), "");

    QTest::keyClicks(number, "2");
    QTest::keyClick(number, Qt::Key_Return);
    EXPECT_EQ(m_feedback.Messages.size(), 1u);
    EXPECT_EQ(Panel(0), "Picture: 2");
    EXPECT_TRUE(view.Curves().TitleText().endsWith("\nDOWN"));
}

TEST_F(DataView, ZoomSectorTakesTheDialogsRangesOrderedEvenWhenCancelled) {
    TFormViewDataCollect& view = Open({LiftRun(400, 0x01, 0x01)});
    ASSERT_TRUE(WaitForFirstDraw());
    view.Curves().SetBottomRange(0, 2000);
    view.ShowZoom = [this](TZoom& zoom) {
        EXPECT_EQ(Find<QLineEdit>(&zoom, "XMax")->text(), "  2.00");
        Find<QLineEdit>(&zoom, "XMin")->setText("1.5");
        Find<QLineEdit>(&zoom, "XMax")->setText("0.5");
        Find<QLineEdit>(&zoom, "YMin")->setText("5");
        Find<QLineEdit>(&zoom, "YMax")->setText("2");
        Find<QPushButton>(&zoom, "ZoomOK")->click();
    };
    Action("MenuViewDataGraphicsZoomDetail")->trigger();
    EXPECT_EQ(view.Curves().BottomRange(), std::make_pair(500.0, 1500.0));
    EXPECT_EQ(view.Curves().LeftRange(), std::make_pair(2.0, 5.0));

    view.ShowZoom = [this](TZoom& zoom) {
        Find<QLineEdit>(&zoom, "XMax")->setText("9");
        Find<QPushButton>(&zoom, "ZoomCancel")->click();
    };
    Action("MenuViewDataGraphicsZoomDetail")->trigger();
    EXPECT_EQ(view.Curves().BottomRange(), std::make_pair(500.0, 1500.0));

    // Zoom all: the configured voltages and the picture's time range.
    Action("MenuViewDataGraphicsNormal")->trigger();
    EXPECT_EQ(view.Curves().LeftRange(), std::make_pair(-1.0, 12.0));
    EXPECT_NEAR(view.Curves().BottomRange().second, 399 * 1000 / 180.0, 1e-6);
}

TEST_F(DataView, ThePagePrintsBothChartsAsVectorsIntoAPdf) {
    TFormViewDataCollect& view = Open({LiftRun(200, 0x01, 0x01)});
    ASSERT_TRUE(WaitForFirstDraw());
    const QString pdf = m_tree.Path("page.pdf");
    view.ChoosePrinter = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    Action("MenuViewDataFilePrintPage")->trigger();
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_FALSE(bytes.contains("/Subtype /Image")) << "the charts were pasted as a picture";
    EXPECT_TRUE(m_feedback.Messages.empty());
}

using ZoomDialog = ProgramTest;

TEST_F(ZoomDialog, ShowsTheRangesWithAPointAndTakesWhatWasTypedOnOk) {
    // A German desktop and German texts: the fields still use the point.
    QLocale::setDefault(QLocale(QLocale::German));
    TProgram& program = Start("[Language]\nLanguageValue=1\n");
    TZoom& zoom = *program.Windows().Zoom();
    EXPECT_EQ(zoom.windowTitle(), Text(161));
    zoom.SetValues(30000, 0, 12, -1);
    EXPECT_EQ(Find<QLineEdit>(&zoom, "XMax")->text(), " 30.00");
    EXPECT_EQ(Find<QLineEdit>(&zoom, "XMin")->text(), "  0.00");
    EXPECT_EQ(Find<QLineEdit>(&zoom, "YMax")->text(), " 12.00");
    EXPECT_EQ(Find<QLineEdit>(&zoom, "YMin")->text(), " -1.00");

    // Cancel hands back exactly what was set, whatever was typed.
    zoom.show();
    Find<QLineEdit>(&zoom, "YMax")->setText("3");
    QTest::mouseClick(Find<QPushButton>(&zoom, "ZoomCancel"), Qt::LeftButton);
    EXPECT_EQ(zoom.result(), QDialog::Rejected);
    EXPECT_DOUBLE_EQ(zoom.MaxVoltage(), 12);

    // OK takes each number; a minimum above its maximum is not questioned; "abc" keeps its value.
    zoom.SetValues(30000, 0, 12, -1);
    zoom.show();
    Find<QLineEdit>(&zoom, "XMin")->setText("20.5");
    Find<QLineEdit>(&zoom, "XMax")->setText(" 1e1");
    Find<QLineEdit>(&zoom, "YMax")->setText("abc");
    Find<QLineEdit>(&zoom, "YMin")->setText("2,5");
    QTest::mouseClick(Find<QPushButton>(&zoom, "ZoomOK"), Qt::LeftButton);
    EXPECT_EQ(zoom.result(), QDialog::Accepted);
    EXPECT_DOUBLE_EQ(zoom.MinTimeMs(), 20500);
    EXPECT_DOUBLE_EQ(zoom.MaxTimeMs(), 10000);
    EXPECT_DOUBLE_EQ(zoom.MaxVoltage(), 12);
    EXPECT_DOUBLE_EQ(zoom.MinVoltage(), -1);
    QLocale::setDefault(QLocale::c());
}

} // namespace

namespace {

TEST_F(DataView, ErrorsNobodyHandledAreShownAsOtherAndAnIndexBeyondASeriesIsNot) {
    const ThrowingThroughQt unguarded;
    TFormViewDataCollect& view = Open({});
    auto* failing = new QPushButton(&view);
    int error = 0;
    QObject::connect(failing, &QPushButton::clicked, [&error] {
        if (error++ == 0) {
            throw std::runtime_error("the chart lost its points");
        }
        throw std::out_of_range("index 12 beyond 11");
    });
    failing->show();
    QTest::mouseClick(failing, Qt::LeftButton);
    ASSERT_EQ(m_feedback.Messages.size(), 1u);
    EXPECT_EQ(m_feedback.Messages[0].Caption, "Other");
    EXPECT_EQ(m_feedback.Messages[0].Text, "the chart lost its points\rError number: 0");
    EXPECT_EQ(m_feedback.Messages[0].Kind, MessageKind::Error);
    QTest::mouseClick(failing, Qt::LeftButton);
    EXPECT_EQ(m_feedback.Messages.size(), 1u);
    EXPECT_TRUE(view.isVisible()); // the window goes on
}

} // namespace

namespace {

TEST_F(DataView, AParameterReadPausesTheCollectionAndResumesIt) {
    TFormViewDataCollect& view = Open({}, {"--family", "TKX", "--software", "2220"});
    ASSERT_TRUE(view.Recorder().ReceiverPresent());
    TViewParameter* window = m_program->Windows().ViewTKXParameter();
    QTimer::singleShot(0, window, [&] {
        auto* read = Find<QPushButton>(window, "BtnRead");
        ASSERT_TRUE(read->isEnabled());
        read->click();
        window->close();
    });
    m_clock.Pauses.clear();
    Find<QAction>(&view, "CollectTKX")->trigger();

    // The read reached the controller, so the receiver had let go of the port...
    EXPECT_EQ(m_program->Database().SetTable(Family::Tkx).RecordCount(), 1);
    ASSERT_FALSE(m_clock.Pauses.empty());
    EXPECT_EQ(m_clock.Pauses.front(), 1000); // the collection's own pause after stopping
    // ...and the collection runs again on the same port.
    EXPECT_TRUE(view.Recorder().ReceiverPresent());
    EXPECT_TRUE(view.IsCollecting());
    EXPECT_TRUE(m_port->InUse);
    EXPECT_FALSE(Action("MenuViewDataFileSaveAs")->isEnabled());
    EXPECT_TRUE(Find<QTimer>(&view, "TimerFirstDraw")->isActive());
}

} // namespace

namespace {

TEST_F(DataView, AFullFileIsCopiedAwayAtTheEndOfARunAndRecordingGoesOnInAnEmptyOne) {
    TFormViewDataCollect& view =
        Open({LiftRun(12, 0x01, 0x01)}, {"--live", "--runs", "2", "--run-length", "0.5", "--gap", "0.5"},
             "PicturesPerFile=2\nSaveAutoEnabled=1\n");
    // The copy is named by the minute it was made: "yymmddhhnn.dat" in the working directory.
    const QDir work(m_program->Configuration().GetWorkDirectory());
    const auto copies = [&] { return work.entryList({"??????????.dat"}, QDir::Files); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return !copies().isEmpty(); }, 15000));
    const QString copy = work.filePath(copies().first());
    QFile file(copy);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QString error;
    const auto scan = DataFile::Inspect(file, error);
    ASSERT_TRUE(scan) << error.toStdString();
    EXPECT_EQ(scan->Header.PictureCount, 2); // the stored picture and the first run
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.Recorder().Header().PictureCount == 1; }, 15000));
    EXPECT_EQ(view.Recorder().FileName(), DataFilePath());
    EXPECT_TRUE(view.IsCollecting());
    EXPECT_TRUE(view.Recorder().ReceiverPresent());
    // The technician sees where the runs went, and the log keeps it.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Panel(3).endsWith(copy); }, 5000)) << Panel(3).toStdString();
    view.close();
    m_view.reset();
    Stop();
    EXPECT_TRUE(QString::fromUtf8(m_tree.Read("docs/Faldmark/WinTorvex32/TorvexLog.txt")).contains(copy));
}

TEST_F(DataView, SaveAsOntoTheFileInUseSavesItInPlaceAndLaterRunsStayInIt) {
    TFormViewDataCollect& view = Open({}, {"--live", "--runs", "2", "--run-length", "0.3", "--gap", "1.5"});
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return view.Recorder().Header().PictureCount == 1 && view.CurrentPicture() == 0; }, 15000));
    m_nextFiles = {DataFilePath()};
    view.SaveAsClick();
    EXPECT_TRUE(m_feedback.Messages.empty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.CurrentPicture() == 1; }, 15000));
    view.close();
    m_view.reset();
    QFile file(DataFilePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QString error;
    const auto scan = DataFile::Inspect(file, error);
    ASSERT_TRUE(scan) << error.toStdString();
    EXPECT_EQ(scan->Header.PictureCount, 2);
}

TEST_F(DataView, NewAndAFileWithoutPicturesLeaveNothingOfTheOldPictureOnTheScreen) {
    TFormViewDataCollect& view = Open({LiftRun(40, 0x01, 0x01)});
    ASSERT_TRUE(WaitForFirstDraw());
    QWidget* viewport = Find<QGraphicsView>(&view, "ChartAnalogValuesView")->viewport();
    QTest::mouseMove(viewport, viewport->mapFrom(&view.Curves(), view.Curves().PositionOf(100, 2.0)));
    ASSERT_FALSE(Find<QLabel>(&view, "LabelSet")->text().isEmpty());
    m_feedback.Answers = {MessageAnswer::Yes};
    Action("MenuViewDataFileNew")->trigger();
    EXPECT_EQ(view.Curves().PointCount(0), 0);
    EXPECT_TRUE(Find<QLabel>(&view, "LabelSet")->text().isEmpty());
    EXPECT_TRUE(Find<QLabel>(&view, "LabelK1")->text().isEmpty());

    m_tree.Write("stored.dat", DataFileOf({LiftRun(40, 0x01, 0x01)}));
    m_tree.Write("none.dat", DataFileOf({}));
    m_nextFiles = {m_tree.Path("stored.dat")};
    Action("MenuViewDataFileOpen")->trigger();
    ASSERT_TRUE(WaitForFirstDraw());
    ASSERT_GT(view.Curves().PointCount(0), 0);
    m_nextFiles = {m_tree.Path("none.dat")};
    m_feedback.Answers = {MessageAnswer::Yes};
    Action("MenuViewDataFileOpen")->trigger();
    EXPECT_EQ(view.Curves().PointCount(0), 0);
    EXPECT_EQ(Panel(0), "Picture: 0");
    EXPECT_FALSE(Action("ToolButtonFirst")->isEnabled());
}

TEST_F(DataView, EscDoesNotEndACollectionButClosesAStoppedWindow) {
    TFormViewDataCollect& view = Open({});
    QTest::keyClick(&view, Qt::Key_Escape);
    EXPECT_TRUE(view.isVisible());
    EXPECT_TRUE(view.Recorder().ReceiverPresent());
    Action("MenuViewDataFileStop")->trigger();
    QTest::keyClick(&view, Qt::Key_Escape);
    EXPECT_FALSE(view.isVisible());
}

TEST_F(DataView, ToolButtonsKeepTheirHintsAndTheAxisAndPictureFieldFollowThePart) {
    TFormViewDataCollect& view = Open({LiftRun(12, 0x01, 0x01), LiftRun(12, 0x01, 0x01)});
    const std::pair<const char*, const char*> hints[] = {
        {"ToolButtonDataFileStop", "Stop collecting data"},
        {"ToolButtonDataFileStart", "Start collecting data"},
        {"ToolButtonMenuViewDataFileOpen", "Open file"},
        {"ToolButtonMenuViewDataFileSave", "Save file"},
        {"ToolButtonFirst", "First curve"},
        {"ToolButtonLast", "Last curve"},
    };
    // Before and after the buttons change their enabled state both ways.
    for (int round = 0; round < 2; ++round) {
        for (const auto& [name, hint] : hints) {
            EXPECT_EQ(Find<QToolButton>(&view, name)->toolTip(), hint) << name;
        }
        Action(round == 0 ? "MenuViewDataFileStop" : "MenuViewDataFileRestartCollectingData")->trigger();
        ASSERT_TRUE(WaitForFirstDraw());
    }

    // "#,##0.0##": one decimal at least, as many as the grid needs, three at most.
    view.Curves().SetLeftRange(-1, 12);
    EXPECT_EQ(view.Curves().LeftLabelFormat(), "%.1f");
    view.Curves().SetLeftRange(1, 1.2);
    EXPECT_EQ(view.Curves().LeftLabelFormat(), "%.2f");
    view.Curves().SetLeftRange(1, 1.004);
    EXPECT_EQ(view.Curves().LeftLabelFormat(), "%.3f");

    // The picture number keeps only digits when its text changes by any way, and when entered.
    auto* number = Find<QLineEdit>(&view, "EditNbParaSet");
    number->setText("2a");
    EXPECT_EQ(number->text(), "");
    number->setText("12");
    EXPECT_EQ(number->text(), "12");
}

TEST_F(DataView, APortThatDoesNotOpenIsNamedAndTheWindowIsStopped) {
    TProgram& program = Start("[Language]\nLanguageValue=2\n");
    TCommParameter missing(QStringLiteral("/dev/no-such-port"));
    m_view = std::make_unique<TFormViewDataCollect>(program.Configuration(), m_feedback, m_clock,
                                                    PortReservation(missing), &program.Windows());
    ASSERT_EQ(m_feedback.Messages.size(), 1u);
    EXPECT_EQ(m_feedback.Messages[0].Kind, MessageKind::Error);
    EXPECT_TRUE(m_feedback.Messages[0].Text.contains("/dev/no-such-port")) << m_feedback.Messages[0].Text.toStdString();
    EXPECT_FALSE(m_view->IsCollecting());
    EXPECT_TRUE(Action("MenuViewDataFileRestartCollectingData")->isEnabled());
    EXPECT_FALSE(Action("MenuViewDataFileStop")->isEnabled());
    EXPECT_FALSE(missing.InUse);
}

TEST_F(DataView, ACurvePageThatCannotBeWrittenSaysWhyAndKeepsTheOldFile) {
    TFormViewDataCollect& view = Open({LiftRun(200, 0x01, 0x01)});
    ASSERT_TRUE(WaitForFirstDraw());
    QString pdf;
    view.ChoosePrinter = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    pdf = m_tree.Path("no-such-folder/page.pdf");
    Action("MenuViewDataFilePrintPage")->trigger();
    ASSERT_EQ(m_feedback.Messages.size(), 1u);
    EXPECT_EQ(m_feedback.Messages[0].Text, "Error Write File : \r" + pdf + "\r(No such file or directory)");

    // A disk that runs full while the page is written: the page that was there stays.
    pdf = m_tree.Write("page.pdf", "the page printed yesterday");
    {
        const FileSizeLimit limit(4096);
        Action("MenuViewDataFilePrintPage")->trigger();
    }
    ASSERT_EQ(m_feedback.Messages.size(), 2u);
    EXPECT_EQ(m_feedback.Messages[1].Text, "Error Write File : \r" + pdf + "\r(File too large)");
    EXPECT_EQ(m_tree.Read("page.pdf"), "the page printed yesterday");

    Action("MenuViewDataFilePrintPage")->trigger();
    EXPECT_EQ(m_feedback.Messages.size(), 2u);
    EXPECT_TRUE(m_tree.Read("page.pdf").startsWith("%PDF"));
}

} // namespace
