#include "core/link/TCommParameter.h"

#include "core/base/IniFile.h"

QStringList PortChoices::BaudRateTexts() {
    QStringList texts;
    for (int baud : BaudRates) {
        texts << QString::number(baud);
    }
    return texts;
}

QStringList PortChoices::ParityTexts() {
    QStringList texts;
    for (const char* name : ParityNames) {
        texts << QString::fromLatin1(name);
    }
    return texts;
}

void TCommParameter::SetBaudFromText(const QString& text) {
    IniFile::ParseInteger(text, Baud);
}

void TCommParameter::SetDataBitsFromText(const QString& text) {
    IniFile::ParseInteger(text, DataBits);
}

QString TCommParameter::ParityAsText() const {
    return Parity < PortChoices::ParityNames.size() ? QString::fromLatin1(PortChoices::ParityNames[Parity]) : QString();
}

void TCommParameter::SetParityFromText(const QString& text) {
    for (std::size_t i = 0; i < PortChoices::ParityNames.size(); ++i) {
        if (text.compare(QLatin1String(PortChoices::ParityNames[i]), Qt::CaseInsensitive) == 0) {
            Parity = static_cast<std::uint8_t>(i);
            return;
        }
    }
}

void TCommParameter::SetStopBitsFromText(const QString& text) {
    int stopBits = 0;
    // Only one or two stop bits exist; anything else (a hand-edited "0") would
    // wrap around in the one-byte field and make the port unusable.
    if (IniFile::ParseInteger(text, stopBits) && (stopBits == 1 || stopBits == 2)) {
        StopBits = static_cast<std::uint8_t>(stopBits - 1);
    }
}
