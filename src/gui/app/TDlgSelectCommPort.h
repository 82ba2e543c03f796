#pragma once

#include <QDialog>

#include <optional>

class QLabel;
class TLanguage;
class QListWidget;
class QPushButton;

// The small dialog that offers the free serial ports when no standard port is set.
class TDlgSelectCommPort : public QDialog {
    Q_OBJECT
public:
    explicit TDlgSelectCommPort(const TLanguage& language, QWidget* parent = nullptr);

    void SetPorts(const QStringList& names);
    std::optional<QString> SelectedPort() const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QLabel* m_label;
    QListWidget* m_list;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};
