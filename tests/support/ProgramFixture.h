#pragma once

#include "ManualClock.h"
#include "core/base/Language.h"
#include "core/link/PortReservation.h"
#include "gui/app/TFormMain.h"
#include "gui/app/TProgram.h"

#include "RecordingFeedback.h"
#include "TempTree.h"

#include <QAbstractButton>
#include <QAction>

#include <gtest/gtest.h>

// The real program on the real template database beside the build's programs,
// with a home of its own and every message recorded instead of shown.
class ProgramTest : public ::testing::Test {
protected:
    QString UserConfig() const { return m_tree.Path("docs/Faldmark/WinTorvex32/WinTorvex32.config"); }

    TProgram& Start(const QByteArray& userConfig = "[Language]\nLanguageValue=2\n",
                    QStringList ports = {"/dev/ttyS0", "/dev/ttyUSB0"}) {
        m_taken.Release();
        QDir().mkpath(m_tree.Path("docs/Faldmark/WinTorvex32/1.45/DataBase"));
        m_tree.Write("docs/Faldmark/WinTorvex32/WinTorvex32.config", userConfig);
        TProgram::Options options;
        options.Environment.ExecutablePath = QStringLiteral(TORVEX_BIN_DIR "/WinTorvex32");
        options.Environment.DocumentsFolder = m_tree.Path("docs");
        options.Environment.PortCandidates = [ports] { return ports; };
        options.Environment.PortOpens = [](const QString&) { return true; };
        options.Ui = &m_feedback;
        options.Time = &m_clock;
        m_program = std::make_unique<TProgram>(std::move(options));
        return *m_program;
    }
    void TearDown() override { Stop(); }
    // Ends the program; the test's own port goes back first, its port object goes with the program.
    void Stop() {
        m_taken.Release();
        m_program.reset();
    }

    // A port taken as a menu command takes it (standard port, else the feedback's choice), held
    // until the program ends, for windows given their port directly; none when nothing was free.
    TCommParameter* TakePort() {
        m_taken.Release();
        m_taken = m_program->Configuration().SelectPort();
        return m_taken.Get();
    }

    // A text in the language the program under test shows.
    QString Text(int record) const { return m_program->Configuration().Language().Text(record); }
    static QString Text(int record, int languageIndex) { return ::Text(record, languageIndex); }

    template <typename T> T* Find(QObject* root, const char* name) {
        T* found = root->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    bool Shown(const char* item) {
        QAction* action = Find<QAction>(&m_program->MainWindow(), item);
        EXPECT_EQ(action->isVisible(), action->isEnabled()) << item;
        return action->isVisible() && action->isEnabled();
    }

    TempTree m_tree;
    RecordingFeedback m_feedback;
    ManualClock m_clock;
    std::unique_ptr<TProgram> m_program;
    PortReservation m_taken;
};
