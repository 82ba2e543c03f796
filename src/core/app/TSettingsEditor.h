#pragma once

#include <QString>

#include <functional>
#include <vector>

class Feedback;
class TConfiguration;
struct TSettingKey;

// What the settings dialog does besides showing fields: reloading and saving its
// pages, the port choices, and OK with its working-directory checks. The dialog
// only collects input and calls these.
class TSettingsEditor {
public:
    // The four line-setting choices as shown; an empty text means nothing is selected.
    struct PortChoiceTexts {
        QString Baud;
        QString DataBits;
        QString StopBits;
        QString Parity;
    };

    TSettingsEditor(TConfiguration& configuration, Feedback& feedback);
    // Told at every OK, after the working directory is settled, whether it is usable: whoever
    // owns the database closes it and, on a usable directory, opens it there
    // (`TConfiguration::UpdateDatabaseDirectory` has named the folder by then).
    void SetWorkDirectoryApplied(std::function<void(bool usable)> applied) { m_workDirApplied = std::move(applied); }

    void EnterGeneralPage();
    void LeaveGeneralPage();
    void EnterDelaysPage();
    void LeaveDelaysPage();

    // Stores the shown choices into the port at that index of the detected ports.
    void StorePortChoices(int portIndex, const PortChoiceTexts& choices);
    // The choices to show for a port: its values as text.
    PortChoiceTexts PortChoicesOf(int portIndex) const;
    // Another port chosen in the list: keep the shown choices for the previous one.
    void ChoosePort(int newIndex, const PortChoiceTexts& shown);

    // OK: saves everything, checks the working directory and says so to its owner.
    // False when the dialog is to stay open (the directory was refused or failed, or a
    // setting could not be written, also when leaving a page just before).
    // dialogTitle is the caption of the questions and errors it shows.
    bool Ok(int selectedPortIndex, const PortChoiceTexts& shown, const QString& dialogTitle);

private:
    QString StoredWorkDir() const;
    // Notes the first write that failed, for OK to report.
    bool Written(bool written);
    void WriteKeys(const std::vector<const TSettingKey*>& keys);

    TConfiguration& m_configuration;
    Feedback& m_feedback;
    std::function<void(bool usable)> m_workDirApplied;
    QString m_writeFailure; // file and reason of the first write that failed since the last OK
};
