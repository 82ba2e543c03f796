#include "TSimulatedController.h"

#include "core/params/ParameterCatalogue.h"
#include "core/params/TTable.h"

#include <QSaveFile>

#include <cmath>

namespace {
constexpr int kEnglish = 2;
}

TSimulatedController::TSimulatedController(const Setup& setup) : m_setup(setup), m_password(setup.Password) {
    for (int address = 0; address < kMemorySize; ++address) {
        m_parameters[address] = {QString(), QStringLiteral("Reserved %1").arg(address)};
    }
    TTable metadata(*Schema::FindTable(QStringLiteral("TableParameterDBSettings")));
    metadata.Open(setup.DatabaseDirectory);
    const QString family = setup.ControllerFamily == Family::Tkx ? QStringLiteral("TKX") : QStringLiteral("ITKX");
    metadata.SetRange(family, family);
    for (metadata.First(); !metadata.Eof(); metadata.Next()) {
        const QString field = metadata.FieldAsText(QStringLiteral("FieldName"));
        if (field == QLatin1String("OffsetSolUpInPsi")) {
            continue; // the controller knows the pressure in bar only
        }
        const int address = static_cast<int>(metadata.FieldAsInteger(QStringLiteral("EpromAddress")));
        const double value =
            metadata.FieldAsFloat(QStringLiteral("Default")) * metadata.FieldAsFloat(QStringLiteral("Factor"));
        m_defaults[address] = static_cast<quint32>(std::llround(value));
        if (field == QLatin1String("ValveType")) {
            m_valveTypeAddress = address;
        }
        const ParameterInfo* info = ParameterCatalogue::Find(field);
        m_parameters[address] = {info ? QString::fromUtf8(info->Unit) : QString(),
                                 info ? ParameterCatalogue::Label(*info, kEnglish) : field};
    }
    for (const auto& [address, value] : m_defaults) {
        m_memory[address] = m_memory[address + kUserOffset] = m_memory[address + kFactoryOffset] = value;
    }
    if (!m_password.isEmpty()) {
        m_memory[kPasswordAddress] = m_password.toUInt();
    }
    for (int i = 0; i < setup.ExtraEntries; ++i) {
        m_parameters[2000 + i] = {QStringLiteral("ms"), QStringLiteral("Trace value %1").arg(i + 1)};
        m_memory[2000 + i] = static_cast<quint32>(i * 7);
    }

    const quint32 version = static_cast<quint32>(setup.SoftwareVersion);
    const std::pair<const char*, quint32> information[] = {
        {"Software version", version},
        {"Hardware version", 1200},
        {"Serial number", 4711},
        {"Check number", 2417},
        {"Power on", 1532},
        {"Drive up", 48211},
        {"Drive down", 48190},
        {"Operation hour", 3391},
        {"+ unstab voltage", setup.SoftwareVersion > 2105 ? 24310u : 2431u},
        {"- unstab voltage", setup.SoftwareVersion > 2105 ? 23870u : 2387u}};
    int number = 1001;
    for (const auto& [name, value] : information) {
        m_information[number++] = {QString::fromLatin1(name), value};
    }
    const quint32 errors[] = {12, 31, 0, 0, 0, 0, 0, 0};
    for (quint32 code : errors) {
        m_information[number] = {QStringLiteral("Error %1").arg(number - 1010), code};
        ++number;
    }
}

quint32 TSimulatedController::Memory(int address) const {
    const auto it = m_memory.find(address);
    return it == m_memory.end() ? 0 : it->second;
}

bool TSimulatedController::Output(const QString& name) const {
    const auto it = m_outputs.find(name);
    return it != m_outputs.end() && it->second;
}

void TSimulatedController::CopyMemory(int fromOffset, int toOffset) {
    for (int address = 0; address < kMemorySize; ++address) {
        if (address != kPasswordAddress) {
            m_memory[address + toOffset] = Memory(address + fromOffset);
        }
    }
}

void TSimulatedController::WriteMemoryFile() const {
    if (m_setup.MemoryFile.isEmpty()) {
        return;
    }
    QSaveFile file(m_setup.MemoryFile);
    if (!file.open(QIODevice::WriteOnly)) {
        return; // an inspection aid only: the controller goes on without it
    }
    QByteArray text;
    for (const auto& [address, value] : m_memory) {
        text += QByteArray::number(address) + '\t' + QByteArray::number(value) + '\n';
    }
    file.write(text);
    file.commit();
}

QByteArray TSimulatedController::Receive(const QByteArray& bytes) {
    QByteArray reply;
    for (char c : bytes) {
        // Single-character commands stand alone; everything else ends with a carriage return.
        if (m_discarding) {
            m_discarding = c != '\r';
        } else if (m_pending.isEmpty() && (c == 'P' || c == 'Q' || c == 'p' || c == 'i' || c == 'j')) {
            reply += Execute(QByteArray(1, c));
        } else if (c == '\r') {
            if (!m_pending.isEmpty()) {
                reply += Execute(m_pending + '\r');
            }
            m_pending.clear();
        } else if (c != '\n') {
            m_pending += c;
            if (m_pending.size() > 64) {
                m_pending.clear(); // line noise, not a command
                m_discarding = true;
            }
        }
    }
    return reply;
}

QByteArray TSimulatedController::Dump() const {
    QByteArray dump;
    for (const auto& [address, entry] : m_parameters) {
        dump += QByteArray::number(address) + '\t' + QByteArray::number(Memory(address)) + '\t' +
                entry.Unit.toLatin1() + '\t' + entry.Name.toLatin1() + "\r\n";
    }
    for (const auto& [number, entry] : m_information) {
        dump += QByteArray::number(number) + '\t' + QByteArray::number(entry.second) + "\t\t" + entry.first.toLatin1() +
                "\r\n";
    }
    return dump;
}

QByteArray TSimulatedController::Execute(const QByteArray& command) {
    QString shown = QString::fromLatin1(command);
    m_log << shown.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    const QByteArray text = command.endsWith('\r') ? command.chopped(1) : command;
    const bool vf = m_setup.ControllerFamily == Family::VfTkx;

    if (text == "P") {
        m_sessionOpen = true;
        return {};
    }
    if (text == "Q") {
        m_sessionOpen = false;
        WriteMemoryFile();
        return {};
    }
    if (text == "p") {
        return Dump();
    }
    if (text == "i" || text == "j") {
        // A zero point that wanders slowly by a few millivolts, as a real sensor's does.
        const int millivolts = 1234 + static_cast<int>(std::lround(6.0 * std::sin(m_zeroReads++ / 15.0)));
        return Line("+" + QByteArray::number(millivolts).rightJustified(5, '0'));
    }
    if (text == "T") {
        if (PasswordBlocks()) {
            return Line(vf ? "2-PW!" : "1-PW!");
        }
        return Line(vf ? "VF-TKX" : "TKX");
    }
    if (text == "s") {
        if (m_setup.SoftwareVersion == 0) {
            return {};
        }
        return Line(QByteArray::number(m_setup.SoftwareVersion).rightJustified(7, '0'));
    }
    if (text == "t") {
        return {};
    }
    if (text.startsWith("E:")) {
        const QList<QByteArray> parts = text.mid(2).split(':');
        bool okAddress = false;
        bool okValue = false;
        const int address = parts.value(0).toInt(&okAddress);
        const quint32 value = parts.value(1).toUInt(&okValue);
        if (!okAddress || !okValue || parts.size() != 2) {
            return Line("Syntax error");
        }
        if (PasswordBlocks() || address == kPasswordAddress) {
            return Line("Not allowed");
        }
        m_memory[address] = value;
        if (address >= kFactoryOffset) {
            m_factorySet.insert(address - kFactoryOffset);
        }
        return {};
    }
    if (text.startsWith("e:")) {
        bool ok = false;
        const int address = text.mid(2).toInt(&ok);
        if (!ok) {
            return Line("Syntax error");
        }
        if ((address == kPasswordAddress && PasswordBlocks()) || address == m_setup.NotAllowedAddress) {
            return Line("Not allowed");
        }
        if (address == m_setup.WrongReadBackAddress) {
            return Line(QByteArray::number(Memory(address) + 1));
        }
        const auto info = m_information.find(address);
        return Line(QByteArray::number(info != m_information.end() ? info->second.second : Memory(address)));
    }
    if (text.startsWith("qc:")) {
        if (PasswordBlocks()) {
            return Line("Not allowed");
        }
        m_password = QString::fromLatin1(text.mid(3));
        m_memory[kPasswordAddress] = m_password.toUInt();
        return Line("OK");
    }
    if (text.startsWith("q:")) {
        m_loggedIn = m_password.isEmpty() || QString::fromLatin1(text.mid(2)) == m_password;
        return Line(m_loggedIn ? "OK" : "Wrong password");
    }
    if (text == "q") {
        m_loggedIn = false;
        return {};
    }
    if (text == "qs") {
        return Line("Level " + QByteArray(m_password.isEmpty() ? "0" : m_loggedIn ? "2" : "1"));
    }
    if (text == "qe") {
        return PasswordBlocks() ? Line("Not allowed") : Line("Code " + m_password.toLatin1().rightJustified(4, '0'));
    }
    if (text == "V") {
        return Line("Valve " + QByteArray::number(Memory(m_valveTypeAddress)));
    }
    if (text == "I") {
        return Line("Actual 0" + QByteArray::number(412));
    }
    static const std::map<QByteArray, std::pair<const char*, bool>> outputs{
        {"LS", {"Up", true}},      {"lS", {"Up", false}},     {"LT", {"Down", true}},  {"lT", {"Down", false}},
        {"LR", {"Run", true}},     {"lR", {"Run", false}},    {"LF", {"Error", true}}, {"lF", {"Error", false}},
        {"L1", {"SIU1", true}},    {"l1", {"SIU1", false}},   {"LY", {"Relay", true}}, {"lY", {"Relay", false}},
        {"Z", {"Segments", true}}, {"z", {"Segments", false}}};
    if (const auto it = outputs.find(text); it != outputs.end()) {
        const QString output = QString::fromLatin1(it->second.first);
        m_outputs[output] = it->second.second;
        const QString label = output == QLatin1String("Relay")      ? output
                              : output == QLatin1String("Segments") ? QStringLiteral("All segments")
                                                                    : output + QStringLiteral(" LED");
        m_notes << label + (it->second.second ? QStringLiteral(" on") : QStringLiteral(" off"));
        return {};
    }
    if (text == "w" || text == "d") {
        CopyMemory(kFactoryOffset, 0); // factory settings into working memory
    } else if (text == "b") {
        CopyMemory(kUserOffset, 0);
    } else if (text == "B") {
        CopyMemory(0, kUserOffset);
    } else if (text == "C") {
        for (int number = 1011; number <= 1018; ++number) {
            m_information[number].second = 0;
        }
    } else if (text == "v") {
        // The valve type's defaults for everything the factory settings did not set.
        for (const auto& [address, value] : m_defaults) {
            if (address != m_valveTypeAddress && !m_factorySet.contains(address)) {
                m_memory[address] = value;
            }
        }
    } else {
        return Line("Unknown command");
    }
    return {};
}
