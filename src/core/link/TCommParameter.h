#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

// The choices the configuration offers for a port's line settings.
namespace PortChoices {
inline constexpr std::array<int, 9> BaudRates{2400, 4800, 7200, 9600, 14400, 19200, 38400, 57600, 115200};
inline constexpr std::array<const char*, 5> ParityNames{"None", "Odd", "Even", "Mark", "Space"};
inline constexpr std::array<int, 2> DataBits{7, 8};
inline constexpr std::array<int, 2> StopBits{1, 2};
QStringList BaudRateTexts();
QStringList ParityTexts();
} // namespace PortChoices

// The settings of one detected serial port, as the configuration file and the
// settings page show them. A text that does not convert leaves its field as it was.
class TCommParameter {
public:
    explicit TCommParameter(QString name) : Name(std::move(name)) {}

    QString Name;
    std::int32_t Baud = 19200;
    std::int32_t DataBits = 8;
    std::uint8_t Parity = 0;   // 0 None, 1 Odd, 2 Even, 3 Mark, 4 Space
    std::uint8_t StopBits = 0; // stop bits minus one
    bool InUse = false;

    QString BaudAsText() const { return QString::number(Baud); }
    void SetBaud(int baud) { Baud = baud; }
    void SetBaudFromText(const QString& text);

    QString DataBitsAsText() const { return QString::number(DataBits); }
    void SetDataBits(int dataBits) { DataBits = dataBits; }
    void SetDataBitsFromText(const QString& text);

    QString ParityAsText() const;
    void SetParityFromText(const QString& text);

    QString StopBitsAsText() const { return QString::number(StopBits + 1); }
    void SetStopBitsFromText(const QString& text);
};
