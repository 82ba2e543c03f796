// The curve side of the data view: live drawing from the worker's events, stored pictures,
// navigation, zoom and the read-out.
#include "gui/view/TFormViewDataCollect.h"

#include "gui/app/TProgram.h"
#include "gui/view/TCurveDisplay.h"
#include "gui/view/TZoom.h"

#include "core/app/TConfiguration.h"
#include "core/base/DayNumber.h"
#include "core/base/Feedback.h"
#include "core/base/Language.h"
#include "core/base/LocaleText.h"
#include "core/base/Records.h"
#include "core/livedata/TDataRecorder.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

namespace {
// Start stamps before this day (23 July 2001) are no real date: the picture began without one.
constexpr double kEarliestStart = 37095.0;
} // namespace

QString TFormViewDataCollect::Direction(std::uint8_t signals) const {
    return Curves::DirectionTitle(signals, Text(Record::UpperCaseUp), Text(Record::UpperCaseDown));
}

void TFormViewDataCollect::TakeWorkerEvents() {
    for (TViewEvent& event : m_worker->Take()) {
        switch (event.Kind) {
        case TViewEvent::PictureStarted:
            LivePictureSetUp(event.Picture);
            m_curves->Clear();
            SetStatus(0, Text(112) + QString::number(event.Picture));
            SetStatus(1, Text(113) + QString::number(event.Picture));
            break;
        case TViewEvent::AddPoints:
            m_curves->AppendLive(event.Points);
            break;
        case TViewEvent::LiveAxis:
            m_curves->SetBottomRange(0, event.LengthMs);
            m_curves->SetTitleLines(QString(), Direction(event.Signals));
            break;
        case TViewEvent::PictureEnded:
            m_curves->Clear();
            SetStatus(0, Text(112) + QString::number(event.Picture));
            SetStatus(1, Text(113) + QString::number(event.Picture));
            PictureFinished();
            break;
        case TViewEvent::FileRenewed:
            ShowEmptyFile();
            break;
        case TViewEvent::Finished:
            PictureFinished();
            break;
        }
    }
}

void TFormViewDataCollect::LivePictureSetUp(int picture) {
    (void)picture;
    m_idle = false;
    m_curves->SetReadOutEnabled(false);
    m_picture = TPictureCurves();
    SetEnabled({"ToolButtonFirst", "ToolButtonPrev", "ToolButtonNext", "ToolButtonLast", "ToolButtonMenuViewShow",
                "MenuViewDataFileOpen", "MenuViewDataFileNew", "MenuViewDataFilePrintPage"},
               false);
    m_pictureNumber->setEnabled(false);
}

void TFormViewDataCollect::StoredPictureSetUp() {
    for (int series : {0, 1, 3, 4}) {
        m_curves->SetSeriesActive(series, m_actions[series == 0   ? "MenuViewViewSignalsSetPoint"
                                                    : series == 1 ? "MenuViewViewSignalsActualValue"
                                                    : series == 3 ? "MenuViewViewSignalsSolenoid"
                                                                  : "MenuViewViewSignalsFrequency"]
                                              ->isChecked());
    }
    SetEnabled({"MenuViewDataFileOpen", "MenuViewDataFileNew", "MenuViewDataFilePrintPage"}, true);
    m_values->show();
    m_curves->SetReadOutEnabled(true);
}

void TFormViewDataCollect::PictureFinished() {
    if (m_idle || m_closing) {
        return;
    }
    const int count = m_recorder->Header().PictureCount;
    if (count < 2) {
        m_currentPicture = 0;
        SetEnabled({"ToolButtonFirst", "ToolButtonPrev", "ToolButtonNext", "ToolButtonLast", "ToolButtonMenuViewShow"},
                   false);
        m_pictureNumber->setEnabled(false);
        ShowPicture(TPictureNavigation::First);
    } else {
        m_currentPicture = count - 2;
        ShowPicture(TPictureNavigation::Next); // the last one
    }
    StoredPictureSetUp();
}

void TFormViewDataCollect::ShowPicture(TPictureNavigation::Mode mode) {
    m_savedRangePending = true;
    const TDataFileHeader header = m_recorder->Header();
    const int count = header.PictureCount;
    m_curves->Clear();
    m_picture = TPictureCurves();
    const TPictureNavigation n = TPictureNavigation::For(mode, m_currentPicture, m_selectedPicture, count);
    if (!n.Show) {
        return;
    }
    SetEnabled({"ToolButtonFirst"}, n.FirstEnabled);
    SetEnabled({"ToolButtonPrev"}, n.PreviousEnabled);
    SetEnabled({"ToolButtonNext"}, n.NextEnabled);
    SetEnabled({"ToolButtonLast"}, n.LastEnabled);
    if (n.SetsViewAndNumber) {
        SetEnabled({"ToolButtonMenuViewShow"}, n.ViewEnabled);
        m_pictureNumber->setEnabled(n.NumberEnabled);
    }
    m_currentPicture = n.Picture;
    SetStatus(0, Text(112) + QString::number(m_currentPicture + 1));
    SetStatus(1, Text(113) + QString::number(count));
    SetStatus(3, QString());

    std::unique_ptr<QFile> reader = m_recorder->OpenReader();
    QString error;
    const std::vector<TDataRecord> records = DataFile::DrawnRecords(*reader, header, m_currentPicture, error);
    m_recorder->CloseReader(std::move(reader));
    if (!error.isEmpty()) {
        SetStatus(3, Text(Record::Error));
    }
    m_picture = TPictureCurves::Build(records);

    QString start = Text(Record::Unknown);
    if (!m_picture.Records.empty()) {
        const TDataRecord& first = m_picture.Records.front();
        const double day = first.StartDate + first.StartTime / 10000000.0;
        if (day > kEarliestStart) {
            start = LocaleDateTimeText(DayNumber::ToDateTime(DayNumber::Stamp{first.StartDate, first.StartTime}));
        }
    }
    SetStatus(2, Text(246) + start);

    m_curves->ShowPicture(m_picture);
    m_curves->FitBottomToPoints();
    m_curves->SetTitleLines(QString(), Direction(m_picture.TitleSignals));
    SaveRangeIfPending();
}

void TFormViewDataCollect::ShowReadOut(double x) {
    const int index = m_picture.NearestRecord(x);
    if (index < 0) {
        return;
    }
    // What was stored for the record nearest the mouse, never a point filled in between.
    const TDataRecord& r = m_picture.Records[std::size_t(index)];
    const auto values = Curves::AnalogOf(r);
    const std::array<const char*, 5> labels{"LabelSet", "LabelAct", "LabelContr", "LabelMagVolt", "LabelFreqVolt"};
    for (std::size_t i = 0; i < labels.size(); ++i) {
        if (auto* label = findChild<QLabel*>(QLatin1String(labels[i]))) {
            label->setText(LocaleFixed(values[i], 3));
        }
    }
    for (int k = 0; k < 8; ++k) {
        if (auto* label = findChild<QLabel*>(QStringLiteral("LabelK%1").arg(k + 1))) {
            label->setText(Text(r.Signal(k) ? 148 : 149));
        }
    }
    int logic = 146; // Stop
    if (r.Signal(0)) {
        logic = 143;
    } else if (r.Signal(1)) {
        logic = 142;
    } else if (r.Signal(2)) {
        logic = 145;
    } else if (r.Signal(3)) {
        logic = 144;
    }
    if (auto* label = findChild<QLabel*>(QStringLiteral("LabelLogic"))) {
        label->setText(Text(logic));
    }
}

void TFormViewDataCollect::ClearReadOut() {
    for (const char* name : {"LabelSet", "LabelAct", "LabelContr", "LabelMagVolt", "LabelFreqVolt", "LabelLogic"}) {
        if (auto* label = findChild<QLabel*>(QLatin1String(name))) {
            label->clear();
        }
    }
    for (int k = 0; k < 8; ++k) {
        if (auto* label = findChild<QLabel*>(QStringLiteral("LabelK%1").arg(k + 1))) {
            label->clear();
        }
    }
}

void TFormViewDataCollect::SaveRangeIfPending() {
    if (m_savedRangePending) {
        m_savedBottom = m_curves->BottomRange();
        m_savedRangePending = false;
    }
}

void TFormViewDataCollect::RangeChanged() {
    SaveRangeIfPending();
    m_rememberedLeft = m_curves->LeftRange();
}

void TFormViewDataCollect::ZoomInClick() {
    SaveRangeIfPending();
    m_curves->ZoomBy(1.05);
}

void TFormViewDataCollect::ZoomOutClick() {
    SaveRangeIfPending();
    m_curves->ZoomBy(0.95);
}

void TFormViewDataCollect::ZoomAllClick() {
    SaveRangeIfPending();
    m_rememberedLeft = {m_configuration.GetCurveMinV(), m_configuration.GetCurveMaxV()};
    m_curves->SetLeftRange(m_rememberedLeft.first, m_rememberedLeft.second);
    m_curves->SetBottomRange(m_savedBottom.first, m_savedBottom.second);
}

void TFormViewDataCollect::ZoomSectorClick() {
    SaveRangeIfPending();
    if (m_windows == nullptr || m_windows->Zoom() == nullptr) {
        return;
    }
    TZoom& zoom = *m_windows->Zoom();
    const auto [minX, maxX] = m_curves->BottomRange();
    const auto [minY, maxY] = m_curves->LeftRange();
    zoom.SetValues(maxX, minX, maxY, minY);
    ShowZoom(zoom);
    // Confirmed or not: a cancelled dialog hands back the ranges it was given.
    m_curves->SetLeftRange(zoom.MinVoltage(), zoom.MaxVoltage());
    m_curves->SetBottomRange(zoom.MinTimeMs(), zoom.MaxTimeMs());
}

void TFormViewDataCollect::Navigate(TPictureNavigation::Mode mode) {
    m_curves->SetLeftRange(m_rememberedLeft.first, m_rememberedLeft.second);
    ShowPicture(mode);
}

void TFormViewDataCollect::PictureNumberEdited(const QString& text) {
    const bool digits = std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (!digits) {
        m_pictureNumber->clear();
        m_selectedPicture = -1;
        return;
    }
    bool ok = false;
    const int number = text.toInt(&ok);
    m_selectedPicture = ok ? number - 1 : -1; // empty, or too long to be a picture
}

void TFormViewDataCollect::ShowSelectedPicture() {
    const int count = m_recorder->Header().PictureCount;
    if (m_selectedPicture < 0 || m_selectedPicture >= count) {
        m_feedback.ShowMessage(MessageKind::Error, Text(Record::RangeError),
                               QStringLiteral("1 ... ") + QString::number(count), MessageButtons::Ok);
        return;
    }
    ShowPicture(TPictureNavigation::Selected);
}
