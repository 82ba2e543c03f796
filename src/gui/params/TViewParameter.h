#pragma once

#include "core/app/ControllerCommands.h"
#include "core/base/Family.h"
#include "core/params/TParameterEditing.h"
#include "core/params/TParameterTransfer.h"
#include "core/params/TSetFiles.h"

#include <QDialog>

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <vector>

class Clock;
class Feedback;
class QLabel;
class QLineEdit;
class QPrinter;
class QProgressBar;
class QCheckBox;
class QPushButton;
class QTabWidget;
class TCommParameter;
class TConfiguration;
class TDBEdit;
class TDBLookupComboBox;
class TDBMemo;
class TDBNameGrid;
class TDBNavigator;
class TExportImportForm;
class TParameterDatabase;
class TTable;
class TSessionStatus;
class TStatusLine;

// What a parameter window needs of the program.
struct TParameterWindowContext {
    TParameterDatabase& Database;
    TConfiguration& Configuration;
    Feedback& Ui;
    Clock& Time;
    std::function<int()> PasswordLevel;
    std::function<TExportImportForm*()> ChoiceForm; // the kind-choice dialog, made after the windows
    TSessionStatus* Status = nullptr;               // port, controller and level shown in the status line
};

// What a file dialog is asked for; the answer is a full path, or empty when cancelled.
struct TFileRequest {
    bool Save = false;
    QString Title;
    QString Directory;
    QString ProposedName;
    QStringList Filters;
    int FilterIndex = 0; // 1-based, as the kinds count them
};

// One control of a parameter page: an edit field (no list) or a drop-down list.
struct TParameterControl {
    QString Control;
    QString Field;
    int CaptionRecord = 0; // 0: the fixed caption
    QString Caption;       // fixed caption
    QString Unit;          // unit box text
    QString List;          // lookup table: "ValveType" (single) or "DemandRedType_" (per language); empty: edit
    bool Leveled = true;   // enabled by the password level (else always enabled)
};

struct TParameterPage {
    QString Name;
    int TitleRecord;
    std::vector<TParameterControl> Controls;
};

// Rows both families' pages share.
namespace ParameterRows {
// An edit field whose control is "Edit" + field.
TParameterControl Edit(const QString& field, int captionRecord, const QString& unit, bool leveled = true);
TParameterControl List(const QString& control, const QString& field, int captionRecord, const QString& list,
                       bool leveled = true);
// Acceleration, fast, deceleration, slow, soft stop and relevelling of one direction ("Up", "Dn").
std::vector<TParameterControl> Ramps(const QString& direction);
// P, I, D static and dynamic of the solenoid ("Sol") or the inverter ("Inv") loop in one direction.
std::vector<TParameterControl> Loop(const QString& actuator, const QString& direction);
// SIU, pulsation, inspection and emergency rows of the options page.
std::vector<TParameterControl> Supervision();
// Acceleration, speed and deceleration of K6, K7 and K8; the accelerations' controls are
// named by the family ("EditK6Accel" / "EditKAccel"...), and always enabled.
std::vector<TParameterControl> IntermediateSpeeds(const QStringList& accelControls);
// Demand reduction, start delay, relay function and command input lists.
std::vector<TParameterControl> Functions();
void Append(std::vector<TParameterControl>& to, const std::vector<TParameterControl>& rows);
} // namespace ParameterRows

// The window shared by both families: name list, description, search, the parameter
// pages and the buttons. The family's window gives its pages and its particulars.
class TViewParameter : public QDialog {
    Q_OBJECT
public:
    TViewParameter(TParameterWindowContext context, Family family, QWidget* parent = nullptr);

    // Set by the opener before PrepareWindow: the port (may be none) and an attached data view.
    void SetPort(TCommParameter* port);
    TCommParameter* Port() const { return m_transfer.Port; }
    void SetAttachedView(TAttachedDataView* view) { m_transfer.DataView = view; }

    void PrepareWindow();
    void BtnExportClick();
    void BtnImportClick();
    // The file dialog; replaceable so the windows can be driven without a person.
    std::function<QString(const TFileRequest&)> ChooseFile;
    // The print dialog (printer or PDF file); false when cancelled. Replaceable like ChooseFile.
    std::function<bool(QPrinter&)> ChoosePrinter;
    // The differences dialog: the fields ticked when "Write ticked" was chosen, none when
    // cancelled. Replaceable like ChooseFile.
    std::function<std::optional<std::set<QString>>(const TSetComparison&)> ChooseDifferences;
    void BtnCompareClick();
    void BtnPrintClick();
    void BtnServiceReportClick();
    // The value check of a field the user left or confirmed; Enter also moves the focus to the name grid.
    void EditChange(TDBEdit* edit, bool byEnter = false);
    double CheckParameterValue(const QString& field, double value) {
        return m_editing.CheckParameterValue(field, value);
    }
    void ValveTypeChange();
    // Stores and checks what is still being typed in the focused field, before anything
    // moves the cursor, saves, sends or closes.
    void CommitPendingEdit();
    // The caption beside a control ("Relevelling"), as the range messages name it.
    QString CaptionOf(const QString& control) const;

protected:
    // The texts of the language chosen now.
    const TLanguage& Language() const;
    QString Text(int record) const;
    // Builds the window; the family's constructor calls it with its pages.
    void Build(const std::vector<TParameterPage>& pages);
    virtual QString CaptionText() const = 0;
    virtual QString Prefix() const = 0; // "FormParamTKX" / "FormParamVF"
    virtual QString ErrorLabelName() const = 0;
    void showEvent(QShowEvent* event) override;
    // Every way out (Exit, Esc, the title bar) passes here.
    void done(int result) override;
    // Hooks of the family's window: a value was stored by the user; new sets arrived.
    virtual void ValueStored(TDBEdit* edit) { (void)edit; }
    virtual void SetsArrived() {}
    // Shows the pressure in the unit the language chooses now, if it changed while the window is open.
    virtual void FollowUnit() {}

    TTable& Sets();
    TDBEdit* Edit(const QString& control) const;

    TParameterWindowContext m_context;
    Family m_family;
    TParameterEditing m_editing;
    TControllerAccess m_access;
    TParameterTransfer m_transfer;
    std::map<QString, TDBEdit*> m_edits; // by control name
    std::map<QString, TDBLookupComboBox*> m_lists;
    std::map<QString, QString> m_captions;               // by control name
    std::vector<std::pair<QWidget*, QString>> m_leveled; // control and the field it is bound to

private:
    void BtnReadClick();
    void BtnWriteClick();
    void EditLocatorChange(const QString& text);
    void SetButtonsEnabled(bool enabled);
    // Receive needs a port; Send a port and a set. The status line says what is missing.
    void UpdateTransferButtons();
    bool m_busy = false;
    QString m_transferRemark; // what the last Receive or Send did, for the status line
    // The kind-choice dialog until a kind is chosen (or it is cancelled): its choice.
    int ChooseKind(bool forExport);
    static std::optional<TSetFiles::Kind> KindOfChoice(int choice);
    // The export or import file dialog opened on the kind's filter; empty when cancelled.
    QString ChooseSetFile(bool forExport, TSetFiles::Kind kind);
    // False (with the message) when the chosen name does not end in the kind's extension.
    bool HasExtensionOf(const QString& fileName, TSetFiles::Kind kind);
    virtual QStringList ExportFilters() const;
    void PrintPages(bool report);

    int m_eepromWriteDelay = 100;
    QString m_lastFileName;
    QString m_lastBaseName;
    int m_rememberedValveType = 0;
    bool m_valveTypeEntered = false;
    QTabWidget* m_pages = nullptr;
    TDBNavigator* m_navigator = nullptr;
    TDBNameGrid* m_names = nullptr;
    TDBMemo* m_description = nullptr;
    QLineEdit* m_locator = nullptr;
    TDBMemo* m_info = nullptr;
    TDBMemo* m_errors = nullptr;
    QLabel* m_infoController = nullptr;
    QProgressBar* m_progress = nullptr;
    TStatusLine* m_statusLine = nullptr;
    QCheckBox* m_verify = nullptr;
    std::vector<QPushButton*> m_buttons; // read, write, import, export, print, exit, service report, compare
};
