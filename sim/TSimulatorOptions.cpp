#include "TSimulatorOptions.h"

#include <functional>
#include <map>

#include <QRegularExpression>

bool TSimulatorOptions::Parse(const QStringList& arguments, QString& error) {
    const auto number = [&](const QString& text, double minimum, double& out) {
        bool ok = false;
        out = text.toDouble(&ok);
        return ok && out >= minimum;
    };
    // Options that take a value, each with what it does to the options.
    const std::map<QString, std::function<bool(const QString&)>> valued{
        {"--family",
         [&](const QString& v) {
             if (v.compare("TKX", Qt::CaseInsensitive) == 0) {
                 Controller.ControllerFamily = Family::Tkx;
             } else if (v.compare("VF-TKX", Qt::CaseInsensitive) == 0) {
                 Controller.ControllerFamily = Family::VfTkx;
             } else {
                 return false;
             }
             return true;
         }},
        {"--software",
         [&](const QString& v) {
             double d;
             return number(v, 0, d) && (Controller.SoftwareVersion = int(d), true);
         }},
        {"--password",
         [&](const QString& v) {
             Controller.Password = v;
             return v.size() == 4 && v.toUInt() <= 9999 && v.count(QRegularExpression("[0-9]")) == 4;
         }},
        {"--database", [&](const QString& v) { return (Controller.DatabaseDirectory = v, true); }},
        {"--extra-entries",
         [&](const QString& v) {
             double d;
             return number(v, 0, d) && (Controller.ExtraEntries = int(d), true);
         }},
        {"--wrong-readback",
         [&](const QString& v) {
             double d;
             return number(v, 0, d) && (Controller.WrongReadBackAddress = int(d), true);
         }},
        {"--not-allowed",
         [&](const QString& v) {
             double d;
             return number(v, 0, d) && (Controller.NotAllowedAddress = int(d), true);
         }},
        {"--memory-file", [&](const QString& v) { return (Controller.MemoryFile = v, true); }},
        {"--link", [&](const QString& v) { return (LinkPath = v, true); }},
        {"--device", [&](const QString& v) { return (DevicePath = v, true); }},
        {"--baud",
         [&](const QString& v) {
             double d;
             return number(v, 300, d) && (Baud = int(d), true);
         }},
        {"--frame-rate", [&](const QString& v) { return number(v, 1, FrameRate); }},
        {"--run-length", [&](const QString& v) { return number(v, 0.1, RunSeconds); }},
        {"--gap", [&](const QString& v) { return number(v, 0.0, GapSeconds); }},
        {"--runs",
         [&](const QString& v) {
             double d;
             return number(v, 0, d) && (Runs = int(d), true);
         }},
        {"--slow-replies",
         [&](const QString& v) {
             double d;
             return number(v, 0, d) && (SlowRepliesMs = int(d), true);
         }},
        {"--drop-char",
         [&](const QString& v) {
             double d;
             return number(v, 0, d) && (DropEvery = int(d), true);
         }},
        {"--fault",
         [&](const QString& v) {
             if (v == "garbage") {
                 FaultGarbage = true;
             } else if (v == "midframe") {
                 FaultMidFrame = true;
             } else if (v == "badlength") {
                 FaultBadLength = true;
             } else if (v == "silence") {
                 FaultSilence = true;
             } else {
                 return false;
             }
             return true;
         }},
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString argument = arguments[i];
        QString value;
        const bool inlineValue = argument.startsWith("--") && argument.contains('=');
        if (inlineValue) {
            value = argument.section('=', 1);
            argument = argument.section('=', 0, 0);
        }
        if (argument == "-h" || argument == "--help") {
            ShowHelp = true;
            continue;
        }
        if (argument == "--version") {
            ShowVersion = true;
            continue;
        }
        if (argument == "--live") {
            Live = true;
            continue;
        }
        if (argument == "--held") {
            Held = true;
            continue;
        }
        if (argument == "--unpaced") {
            Unpaced = true;
            continue;
        }
        const auto it = valued.find(argument);
        if (it == valued.end()) {
            error = QStringLiteral("unknown argument '%1' (try --help)").arg(arguments[i]);
            return false;
        }
        if (!inlineValue) {
            if (i + 1 >= arguments.size()) {
                error = QStringLiteral("%1 needs a value").arg(argument);
                return false;
            }
            value = arguments[++i];
        }
        if (!it->second(value)) {
            error = QStringLiteral("bad value '%1' for %2 (try --help)").arg(value, argument);
            return false;
        }
    }
    return true;
}

QString TSimulatorOptions::Usage() {
    return QStringLiteral(
        "Usage: torvex-sim [OPTIONS]\n"
        "Plays a lift valve controller on a serial line, for training, demos and tests.\n"
        "It opens a pseudo terminal, prints its device path and serves it until stopped\n"
        "(Ctrl+C); every command it receives is logged to standard error.\n"
        "--version shows the version, --help this text.\n\n"
        "What it plays:\n"
        "  --family TKX|VF-TKX   controller family (default TKX)\n"
        "  --software N          software version with three implied decimals (default 2107 = 2.107);\n"
        "                        0 gives no answer to the version query\n"
        "  --password NNNN       the controller's password is active (four digits)\n"
        "  --extra-entries N     N further entries in the parameter dump\n"
        "  --database DIR        template database with the parameter metadata\n"
        "                        (default: DataBase beside the program, else the installed one)\n"
        "  --memory-file PATH    at every session end, write each memory cell as\n"
        "                        \"ADDRESS<TAB>VALUE\" lines: working memory 0..110,\n"
        "                        user memory 200..310, factory memory 400..510\n\n"
        "Where and how fast:\n"
        "  --link PATH           also make PATH a symbolic link to the pty\n"
        "  --device PATH         serve an existing serial device instead of a pty\n"
        "  --baud N              pace the output at N baud (default 19200)\n\n"
        "Live data:\n"
        "  --live                stream lift runs, up and down in turn\n"
        "  --frame-rate HZ       frames per second (default 45)\n"
        "  --run-length S        seconds per run (default 8)\n"
        "  --gap S               silence between runs in seconds (default 3)\n"
        "  --runs N              stream N runs, then stay silent (default: no end)\n"
        "  --held                the first run starts at SIGUSR2 instead of half a second after\n"
        "                        start: the bytes of a run streamed before the program listens\n"
        "                        are flushed by it\n"
        "  --unpaced             send the runs as fast as the line takes them, with no baud pacing\n"
        "                        and no frame timing (the silence between runs stays)\n\n"
        "Faults:\n"
        "  --fault garbage       stray bytes between frames and runs, and before every reply\n"
        "  --fault midframe      the stream starts in the middle of a frame; the first reply\n"
        "                        to a command loses its first half\n"
        "  --fault badlength     the sixth frame of every run is one byte short\n"
        "  --fault silence       never answer a command\n"
        "  --slow-replies MS     start every reply MS late\n"
        "  --drop-char N         drop every N-th byte the simulator sends (replies and live data)\n"
        "  --wrong-readback ADDR a read of ADDR answers one more than the cell holds\n"
        "  --not-allowed ADDR    a read of ADDR answers \"Not allowed\"\n\n"
        "Memories: \"E:\" writes the addressed cell, \"d\" copies factory into working\n"
        "memory, \"b\" user into working memory, \"B\" saves working into user memory,\n"
        "\"v\" loads the valve type's defaults into the working cells that no factory\n"
        "write has set since the start.\n\n"
        "Signals: SIGUSR1 logs \"torvex-sim: mark\" once everything received before it has been\n"
        "logged; SIGINT, SIGTERM and SIGHUP end the simulator.\n");
}
