#pragma once

#include "core/app/TSettingFields.h"
#include "core/app/TSettingsEditor.h"

#include <QDialog>
#include <QLineEdit>

#include <functional>
#include <vector>

class Feedback;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;
class TConfiguration;

// A line edit that takes only what its setting can hold: digits, or for the curve
// limits also "-" and "."; any other typed character (a paste included) is dropped.
class TNumberEdit : public QLineEdit {
    Q_OBJECT
public:
    TNumberEdit(const QString& objectName, bool signedDecimal, QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool m_signedDecimal;
};

// The settings dialog: working directory, data files, delays, serial ports and
// language. Its fields are the program's live settings: what is typed takes effect
// at once; the pages save themselves when left, OK saves everything.
class TDlgConfiguration : public QDialog {
    Q_OBJECT
public:
    TDlgConfiguration(TConfiguration& configuration, Feedback& feedback, QWidget* parent = nullptr);

    // See TSettingsEditor::SetWorkDirectoryApplied.
    void SetWorkDirectoryApplied(std::function<void(bool usable)> applied) {
        m_editor.SetWorkDirectoryApplied(std::move(applied));
    }
    // Opens the help at a context; F1 asks it for the page (and field) in use.
    std::function<void(int)> ShowHelp;
    // The help context of what has the focus now.
    int HelpContext() const;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString Text(int record) const;
    enum Page { General, Delays, SerialPort, LanguagePage };

    QWidget* BuildGeneralPage();
    QWidget* BuildDelaysPage();
    QWidget* BuildSerialPage();
    QWidget* BuildLanguagePage();
    QLabel* Label(const QString& objectName, const QString& text, QWidget* buddy);
    // A numeric setting with its spin buttons, bound to a text field of the settings.
    QWidget* SpinField(TNumberEdit*& edit, const QString& objectName, const TSettingKey& key);
    void Bind(QLineEdit* edit, QString TSettingFields::*field);

    void EnterPage(int page);
    void LeavePage(int page);
    void ShowFields();
    void ShowPortChoices(int portIndex);
    TSettingsEditor::PortChoiceTexts ShownChoices() const;
    void ApplyChineseWidths();

    void ListBoxCommPortsClick(int row);
    void CheckBoxAsStandardClick();
    void SpeedBtnBrowseDirClick();
    void SettingsBtnOKClick();
    void SettingsBtnCancelClick();

    TConfiguration& m_configuration;
    TSettingsEditor m_editor;
    int m_currentPage = General;
    bool m_showing = false;

    QTabWidget* m_pages = nullptr;
    QLineEdit* m_workDirectory = nullptr;
    QLineEdit* m_tempFileName = nullptr;
    TNumberEdit* m_picturesPerFile = nullptr;
    QCheckBox* m_saveAuto = nullptr;
    TNumberEdit* m_lengthOfPicture = nullptr;
    TNumberEdit* m_drawSpeed = nullptr;
    TNumberEdit* m_curveMaxV = nullptr;
    TNumberEdit* m_curveMinV = nullptr;
    TNumberEdit* m_eepromWrite = nullptr;
    TNumberEdit* m_readParameter = nullptr;
    TNumberEdit* m_gapNewPage = nullptr;
    QCheckBox* m_pauseSending = nullptr;
    QListWidget* m_ports = nullptr;
    QComboBox* m_baud = nullptr;
    QComboBox* m_dataBits = nullptr;
    QComboBox* m_stopBits = nullptr;
    QComboBox* m_parity = nullptr;
    QCheckBox* m_asStandard = nullptr;
    QLabel* m_standardPort = nullptr;
    std::vector<std::pair<QRadioButton*, int>> m_languages;
    std::vector<std::pair<QLabel*, int>> m_chineseWidths;
};
