#pragma once

#include "core/base/Family.h"
#include "core/params/TParameterDatabase.h"
#include "core/params/TTable.h"
#include "gui/access/TPasswordForm.h"
#include "gui/params/TViewITKXParameter.h"
#include "gui/params/TViewParameter.h"
#include "gui/params/TViewTKXParameter.h"

#include "ProgramFixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

// The program with its parameter windows, opened and typed into as the technician does.
class ParameterWindow : public ProgramTest {
protected:
    TTable& Sets(Family family) { return m_program->Database().SetTable(family); }
    void AddSet(Family family, const QString& name, const std::map<QString, double>& values = {}) {
        TTable& sets = Sets(family);
        sets.Insert();
        sets.SetFieldText("Name", name);
        for (const auto& [field, value] : values) {
            sets.SetFieldFloat(field, value);
        }
        sets.Post();
    }
    TViewParameter* Open(Family family) {
        TViewParameter* window = family == Family::Tkx
                                     ? static_cast<TViewParameter*>(m_program->Windows().ViewTKXParameter())
                                     : static_cast<TViewParameter*>(m_program->Windows().ViewITKXParameter());
        window->PrepareWindow();
        window->show();
        QApplication::setActiveWindow(window);
        QApplication::processEvents();
        return window;
    }
    // Types a value into a field and confirms it with Enter, as the technician does.
    void Enter(QWidget* window, const char* edit, const QString& text) {
        auto* field = Find<QLineEdit>(window, edit);
        field->clear();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    }
    void Level(const QString& password) {
        TPasswordForm* form = m_program->Windows().PasswordForm();
        form->show();
        QTest::keyClicks(Find<QLineEdit>(form, "Password"), password);
        Find<QPushButton>(form, "FormPasswordBtOk")->click();
    }
};
