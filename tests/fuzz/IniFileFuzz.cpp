// The INI reader on arbitrary bytes (a configuration edited by hand), and the writer on top of it:
// writing one key must not change what any other key reads.
#include "core/base/IniFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>

namespace {

const QString kNewSection = QStringLiteral("FuzzSection");
const QStringList kKeys = {QStringLiteral("Language"), QStringLiteral("Devices"), QStringLiteral("Port"),
                           QStringLiteral("VerifyWrite"), QStringLiteral("FuzzKey")};

// What every (section, key) pair of interest reads now.
QStringList Snapshot(const IniFile& ini, const QStringList& sections) {
    QStringList values;
    for (const QString& section : sections) {
        for (const QString& key : kKeys) {
            values << ini.ReadString(section, key, QStringLiteral("\x01absent")) +
                          QString::number(ini.ReadInteger(section, key, -7)) +
                          (ini.KeyExists(section, key) ? QStringLiteral("+") : QStringLiteral("-"));
        }
    }
    return values;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    static QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("input.config"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            __builtin_trap();
        }
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    IniFile ini(path);
    QStringList sections = ini.Sections();
    // Every read loads the file again, as the program's reads do: a few sections show the
    // writer's faults as well as many, at a fraction of the time per input.
    if (sections.size() > 3) {
        sections = sections.mid(0, 3);
    }
    sections << kNewSection;

    // Each section gets one key written; everything else must read as before.
    for (const QString& section : sections) {
        const QStringList before = Snapshot(ini, sections);
        if (!ini.WriteString(section, QStringLiteral("FuzzKey"), QStringLiteral("written value"))) {
            return 0;
        }
        if (ini.ReadString(section, QStringLiteral("FuzzKey"), {}) != QStringLiteral("written value")) {
            __builtin_trap();
        }
        const QStringList after = Snapshot(ini, sections);
        for (qsizetype i = 0; i < before.size(); ++i) {
            const bool written = sections[i / kKeys.size()].compare(section, Qt::CaseInsensitive) == 0 &&
                                 kKeys[i % kKeys.size()] == QStringLiteral("FuzzKey");
            if (!written && before[i] != after[i]) {
                __builtin_trap();
            }
        }
    }
    return 0;
}
