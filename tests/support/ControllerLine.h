#pragma once

#include "TSimulatedController.h"
#include "TSimulatorLink.h"
#include "TempTree.h"

#include "ManualClock.h"
#include "core/app/ControllerCommands.h"
#include "core/app/TConfiguration.h"
#include "core/base/Language.h"

#include "RecordingFeedback.h"

#include <QByteArrayList>
#include <QDir>

#include <deque>
#include <map>
#include <memory>

// The controller end of the line for operation tests: every command is recorded,
// and answered from a script when the script has a reply for it, otherwise by
// the simulated controller (or not at all).
class ControllerLine {
public:
    TSimulatedController* Controller = nullptr;
    // Replies by command ("q:1234\r", "i"); the last reply of a queue stays for later calls.
    std::map<QByteArray, std::deque<QByteArray>> Replies;
    QByteArrayList Commands;
    // The controller is switched off once this many commands have arrived: every later write
    // fails, as on a line whose device went away. Negative: it stays on.
    qsizetype DiesAfter = -1;
    bool Dead() const { return DiesAfter >= 0 && Commands.size() >= DiesAfter; }

    QByteArray operator()(const QByteArray& bytes) {
        QByteArray out;
        for (char c : bytes) {
            if (m_pending.isEmpty() && QByteArrayView("PQpij").contains(c)) {
                out += Answer(QByteArray(1, c));
            } else if (c == '\r') {
                if (!m_pending.isEmpty()) {
                    out += Answer(m_pending + '\r');
                }
                m_pending.clear();
            } else {
                m_pending += c;
            }
        }
        return out;
    }

    int Count(const QByteArray& command) const { return static_cast<int>(Commands.count(command)); }
    // The commands after the session openings and closings are left out.
    QByteArrayList Sent() const {
        QByteArrayList sent;
        for (const QByteArray& command : Commands) {
            if (command != "P" && command != "Q") {
                sent << command;
            }
        }
        return sent;
    }

private:
    QByteArray Answer(const QByteArray& command) {
        Commands << command;
        const auto it = Replies.find(command);
        if (it != Replies.end() && !it->second.empty()) {
            const QByteArray reply = it->second.front();
            if (it->second.size() > 1) {
                it->second.pop_front();
            }
            return reply;
        }
        return Controller != nullptr ? Controller->Receive(command) : QByteArray();
    }

    QByteArray m_pending;
};

// A configuration with one free port and an access whose sessions reach a ControllerLine
// over an in-memory link on a manual clock.
class ControllerAccessFixture {
public:
    ControllerAccessFixture() {
        QDir().mkpath(m_tree.Path("docs/Faldmark/WinTorvex32/1.45/DataBase"));
        TConfigurationEnvironment environment;
        environment.ExecutablePath = m_tree.Path("prog/WinTorvex32");
        environment.DocumentsFolder = m_tree.Path("docs");
        environment.PortCandidates = [] { return QStringList{"/dev/ttyUSB0"}; };
        environment.PortOpens = [](const QString&) { return true; };
        Configuration = std::make_unique<TConfiguration>(environment, Ui);
        Access = std::make_unique<TControllerAccess>(*Configuration, Ui, Time);
        Access->OpenSession = [this](const TCommParameter&) {
            auto link = std::make_unique<TSimulatorLink>(
                [line = Line](const QByteArray& bytes) { return (*line)(bytes); }, Time);
            link->Unplugged = [line = Line] { return line->Dead(); };
            return std::make_unique<TTorvexController>(std::move(link), 1000, true, Time);
        };
    }

    TCommParameter& Port() { return *Configuration->Settings().Ports[0]; }
    bool PortInUse() { return Port().InUse; }

    TempTree m_tree;
    RecordingFeedback Ui;
    ManualClock Time;
    std::shared_ptr<ControllerLine> Line = std::make_shared<ControllerLine>();
    std::unique_ptr<TConfiguration> Configuration;
    std::unique_ptr<TControllerAccess> Access;
};
