#include "core/livedata/TDataRecord.h"

namespace {

void Put32(std::uint8_t* out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

void Put16(std::uint8_t* out, std::int16_t value) {
    const auto raw = static_cast<std::uint16_t>(value);
    out[0] = static_cast<std::uint8_t>(raw & 0xFF);
    out[1] = static_cast<std::uint8_t>(raw >> 8);
}

std::uint32_t Get32(const std::uint8_t* in) {
    return std::uint32_t(in[0]) | std::uint32_t(in[1]) << 8 | std::uint32_t(in[2]) << 16 | std::uint32_t(in[3]) << 24;
}

std::int16_t Get16(const std::uint8_t* in) {
    return static_cast<std::int16_t>(std::uint16_t(in[0] | in[1] << 8));
}

std::int16_t BigEndian16(const std::uint8_t* in) {
    return static_cast<std::int16_t>(std::uint16_t(in[0] << 8 | in[1]));
}

} // namespace

void TDataRecord::Encode(std::uint8_t* out) const {
    Put32(out, static_cast<std::uint32_t>(Kind));
    Put32(out + 4, StartDate);
    Put32(out + 8, StartTime);
    Put16(out + 12, ActualValue);
    Put16(out + 14, SetPoint);
    Put16(out + 16, RunTime);
    Put16(out + 18, SolenoidValue);
    Put16(out + 20, InverterValue);
    out[22] = Signals;
    out[23] = Reserved;
}

TDataRecord TDataRecord::Decode(const std::uint8_t* in) {
    TDataRecord r;
    r.Kind = static_cast<std::int32_t>(Get32(in));
    r.StartDate = Get32(in + 4);
    r.StartTime = Get32(in + 8);
    r.ActualValue = Get16(in + 12);
    r.SetPoint = Get16(in + 14);
    r.RunTime = Get16(in + 16);
    r.SolenoidValue = Get16(in + 18);
    r.InverterValue = Get16(in + 20);
    r.Signals = in[22];
    r.Reserved = in[23];
    return r;
}

TDataRecord TDataRecord::FromFrame(const std::uint8_t* frame) {
    TDataRecord r;
    r.SetPoint = BigEndian16(frame + 3);
    r.ActualValue = BigEndian16(frame + 5);
    r.RunTime = BigEndian16(frame + 7);
    r.SolenoidValue = BigEndian16(frame + 9);
    r.InverterValue = BigEndian16(frame + 11);
    r.Signals = frame[13];
    return r;
}
