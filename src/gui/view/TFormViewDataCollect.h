#pragma once

#include "core/base/Clock.h"
#include "core/link/PortReservation.h"
#include "core/params/TParameterTransfer.h"
#include "core/view/TPictureCurves.h"
#include "core/view/TPictureNavigation.h"
#include "core/view/TViewDataWorker.h"
#include "gui/app/TApplication.h"
#include "gui/params/TViewParameter.h"

#include <QDialog>
#include <QPointer>

#include <array>
#include <functional>
#include <map>
#include <memory>

class Clock;
class Feedback;
class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPrinter;
class QStatusBar;
class QTimer;
class QToolBar;
class QToolButton;
class TCommParameter;
class TConfiguration;
class TCurveDisplay;
class TDataRecorder;
class TZoom;
class TProgramWindows;

// The data view: collects live runs from a port into the data file, draws them as they come,
// shows stored pictures, opens, saves and prints them, and lends its port to the parameter
// windows (they pause the collection around each use of the port).
class TFormViewDataCollect : public QDialog, public TAttachedDataView {
    Q_OBJECT
public:
    // `port` (taken) is collected from and stays reserved while collecting; `windows` gives the zoom
    // dialog and the parameter windows (may be none in tests).
    TFormViewDataCollect(TConfiguration& configuration, Feedback& feedback, Clock& clock, PortReservation port,
                         TProgramWindows* windows, QWidget* parent = nullptr);
    ~TFormViewDataCollect() override;

    void StopCollecting() override;
    void RestartCollecting() override;
    void ResetDataFile();
    // Replaces the first line of the analog chart's title.
    void SetChartTitle(const QString& text);
    bool IsCollecting() const { return m_collecting; }
    int CurrentPicture() const { return m_currentPicture; }
    TCurveDisplay& Curves() { return *m_curves; }
    const TPictureCurves& ShownPicture() const { return m_picture; }
    TDataRecorder& Recorder() { return *m_recorder; }

    // The dialogs, replaceable so the window can be driven without a person.
    std::function<QString(const TFileRequest&)> ChooseFile;
    std::function<bool(QPrinter&)> ChoosePrinter;
    std::function<void(TZoom&)> ShowZoom;

    // Commands (menu items and buttons).
    void NewClick();
    void OpenClick();
    void SaveAsClick();
    void PrintPageClick();
    void ExportPngClick();
    void ExportCsvClick();
    void StartClick();
    void StopClick();
    void ExitClick();
    void ZoomInClick();
    void ZoomOutClick();
    void ZoomAllClick();
    void ZoomSectorClick();
    void ParameterClick(bool vfTkx);
    // Draws a stored picture of the current file.
    void ShowPicture(TPictureNavigation::Mode mode);
    // The end of a live picture: the picture is drawn again from the file, navigation opens.
    void PictureFinished();

protected:
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Building (TFormViewDataCollect.cpp).
    void BuildControls();
    QAction* AddAction(QMenu* menu, const char* name, const QString& text, void (TFormViewDataCollect::*slot)());
    QToolButton* AddToolButton(QToolBar* bar, const char* name, QAction* action, const QString& hint);
    void SetCaptions();
    QString Text(int record) const;
    void SetStatus(int panel, const QString& text);
    QString StatusText(int panel) const;
    void SetEnabled(std::initializer_list<const char*> names, bool enabled);
    void StopChain();
    void ToggleSeries(int series);
    void ToggleLogic();
    void ShowUnhandledError(const std::exception& error);

    // Curves (TFormViewDataCollectCurves.cpp).
    void TakeWorkerEvents();
    void LivePictureSetUp(int picture);
    void StoredPictureSetUp();
    void ShowReadOut(double x);
    void ClearReadOut();
    void SaveRangeIfPending();
    void RangeChanged();
    void Navigate(TPictureNavigation::Mode mode);
    void PictureNumberEdited(const QString& text);
    void ShowSelectedPicture();
    // The recorder copied the full file away: the window shows the emptied file.
    void ShowEmptyFile();
    // Start, Open, New and the rest enabled, Stop disabled, the port given back.
    void EnterStoppedState();
    void CollectingFailed();
    QString Direction(std::uint8_t signals) const;

    TConfiguration& m_configuration;
    Feedback& m_feedback;
    Clock& m_clock;
    TCommParameter& m_port;
    PortReservation m_reservation; // held while collecting, so other windows keep off the port
    TProgramWindows* m_windows;
    SystemClock m_lineClock; // the recorder's and receiver's: never the window's own
    std::unique_ptr<Feedback> m_recorderFeedback;
    std::unique_ptr<TDataRecorder> m_recorder;
    std::unique_ptr<TViewDataWorker> m_worker;

    TCurveDisplay* m_curves = nullptr;
    QWidget* m_values = nullptr;
    QStatusBar* m_statusBar = nullptr;
    std::array<QLabel*, 4> m_panels{};
    QLineEdit* m_pictureNumber = nullptr;
    QTimer* m_firstDraw = nullptr;
    QTimer* m_drawTimer = nullptr;
    std::map<QString, QAction*> m_actions;
    std::array<QCheckBox*, 5> m_seriesBoxes{}; // demand, feedback, solenoid, inverter, command signals

    int m_currentPicture = -1;
    int m_selectedPicture = 0;
    QString m_fileName;
    bool m_idle = true;
    bool m_collecting = true;
    bool m_closing = false;
    bool m_savedRangePending = false;
    std::pair<double, double> m_savedBottom{0, 30000};
    std::pair<double, double> m_rememberedLeft{-1, 12};
    QString m_portName;
    TPictureCurves m_picture;
    TApplication::Scope m_errorScope;
};
