#include "gui/service/TAboutBox.h"
#include "gui/app/SlotGuard.h"

#include "core/app/TConfiguration.h"
#include "core/base/Language.h"
#include "core/base/Records.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSvgWidget>
#include <QVBoxLayout>

QString TAboutBox::VersionText() {
    // The build date and time come from the compiler, in the form dd.MM.yyyy/hh:mm.
    const QDateTime built = QLocale::c().toDateTime(QStringLiteral(__DATE__ " " __TIME__).simplified(),
                                                    QStringLiteral("MMM d yyyy hh:mm:ss"));
    return QStringLiteral("Version ") + TConfiguration::ProgramVersion + QLatin1Char('\n') +
           built.toString(QStringLiteral("dd.MM.yyyy/hh:mm"));
}

TAboutBox::TAboutBox(const TLanguage& language, const QString& dataDirectory, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(language.Text(136));

    auto* logo = new QSvgWidget(this);
    logo->setObjectName(QStringLiteral("AboutLogo"));
    logo->setFixedSize(142, 60);
    const QString logoPath = dataDirectory + QStringLiteral("Logo.svg");
    if (QFileInfo::exists(logoPath)) {
        logo->load(logoPath);
    }

    const auto label = [this](const char* name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return l;
    };
    QLabel* program = label("AboutLabelProgram", QStringLiteral("WinTorvex32"));
    QFont big = program->font();
    big.setPixelSize(29);
    big.setBold(true);
    big.setFamily(QStringLiteral("Sans Serif"));
    program->setFont(big);

    auto* ok = new QPushButton(language.Text(Record::ButtonOk), this);
    ok->setObjectName(QStringLiteral("AboutButtonOK"));
    ok->setDefault(true);
    GuardedConnect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(logo, 0, Qt::AlignHCenter);
    layout->addWidget(program, 0, Qt::AlignHCenter);
    layout->addWidget(label("AboutLabelVersion", VersionText()), 0, Qt::AlignHCenter);
    layout->addSpacing(8);
    layout->addWidget(label("AboutLabelCompany", language.Text(213)));
    layout->addWidget(label("AboutLabelAddress1", language.Text(214)));
    layout->addWidget(label("AboutLabelAddress2", language.Text(215)));
    layout->addWidget(label("AboutLabelTelefon", language.Text(216)));
    layout->addWidget(label("AboutLabelTelefax", QString()));
    layout->addWidget(label("AboutLabelEmailAdress", language.Text(218)));
    layout->addWidget(label("AboutLabelWebAdress", language.Text(219)));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addStretch();
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
