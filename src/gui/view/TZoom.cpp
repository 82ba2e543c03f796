#include "gui/view/TZoom.h"
#include "gui/app/SlotGuard.h"

#include "gui/app/TitleFit.h"

#include "core/base/Language.h"
#include "core/base/Records.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TZoom::TZoom(const TLanguage& language, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Zoom"));
    setWindowTitle(language.Text(161));

    struct FieldSpec {
        TZoomValues::Field Field;
        const char* Edit;
        const char* Label;
        int Record;
    };
    // Tab order: voltages first, then the time from its minimum.
    const FieldSpec specs[] = {{TZoomValues::YMax, "YMax", "ZoomYMax", 164},
                               {TZoomValues::YMin, "YMin", "ZoomYMin", 165},
                               {TZoomValues::XMin, "XMin", "ZoomXMin", 163},
                               {TZoomValues::XMax, "XMax", "ZoomXMax", 162}};
    auto* form = new QFormLayout;
    for (const FieldSpec& spec : specs) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(spec.Edit));
        edit->setAlignment(Qt::AlignRight);
        auto* label = new QLabel(language.Text(spec.Record), this);
        label->setObjectName(QString::fromLatin1(spec.Label));
        label->setBuddy(edit);
        form->addRow(label, edit);
        m_fields[std::size_t(spec.Field)] = edit;
    }

    auto* ok = new QPushButton(language.Text(Record::ButtonOk), this);
    ok->setObjectName(QStringLiteral("ZoomOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(language.Text(Record::ButtonCancel), this);
    cancel->setObjectName(QStringLiteral("ZoomCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    KeepCaptionWhole(this);

    GuardedConnect(ok, &QPushButton::clicked, this, &TZoom::ZoomOKClick);
    GuardedConnect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TZoom::SetValues(double maxTimeMs, double minTimeMs, double maxVoltage, double minVoltage) {
    m_values.Set(maxTimeMs, minTimeMs, maxVoltage, minVoltage);
    for (std::size_t f = 0; f < m_fields.size(); ++f) {
        m_fields[f]->setText(m_values.Text(TZoomValues::Field(f)));
    }
}

void TZoom::ZoomOKClick() {
    for (std::size_t f = 0; f < m_fields.size(); ++f) {
        m_values.Accept(TZoomValues::Field(f), m_fields[f]->text());
    }
    accept();
}
