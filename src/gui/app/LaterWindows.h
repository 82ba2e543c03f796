#pragma once

#include "core/base/Language.h"
#include "core/base/Records.h"

#include <QDialog>

// Windows whose functions are still being built. Each is already the real,
// long-lived dialog the menu opens, with its class and object name, so the
// program's start-up order and the menus stay as they will be.
#define TORVEX_LATER_WINDOW(ClassName, Title)                                                                          \
    class ClassName : public QDialog {                                                                                 \
    public:                                                                                                            \
        explicit ClassName(const TLanguage& language, QWidget* parent = nullptr) : QDialog(parent) {                   \
            setObjectName(QStringLiteral(#ClassName).mid(1));                                                          \
            setWindowTitle(Title);                                                                                     \
            resize(480, 320);                                                                                          \
        }                                                                                                              \
    };

TORVEX_LATER_WINDOW(TZoom, language.Text(96).remove(QLatin1Char('&')))
TORVEX_LATER_WINDOW(TFormViewDataCollect, language.Text(222))

#undef TORVEX_LATER_WINDOW
