#pragma once

#include <cstdint>

// One sample of the live data, as the receiver queues it and as data files store it
// (24 bytes, little-endian on disk, in this field order).
struct TDataRecord {
    static constexpr int Size = 24;
    static constexpr int FrameLength = 16;
    static constexpr std::uint8_t FrameStartByte = 0x0F;
    static constexpr std::uint8_t FrameEndByte = 0x55;

    // FileRenewed is never written to a file: the recorder passes it to the view after the last
    // record of a full file it copied away, so the view starts counting pictures afresh.
    enum Kinds : std::int32_t { Sample = 0, RunStart = 1, Gap = 2, FileRenewed = 3 };

    std::int32_t Kind = Sample;
    std::uint32_t StartDate = 0; // whole days since 30 December 1899, only in a run's first record
    std::uint32_t StartTime = 0; // fraction of that day in 1/10,000,000 day
    std::int16_t ActualValue = 0;
    std::int16_t SetPoint = 0;
    std::int16_t RunTime = 0; // 1/180 s since the run started
    std::int16_t SolenoidValue = 0;
    std::int16_t InverterValue = 0;
    std::uint8_t Signals = 0; // K1 in bit 0 ... K8 in bit 7
    std::uint8_t Reserved = 0;

    bool operator==(const TDataRecord&) const = default;

    // Field by field, so the file layout never depends on how the compiler packs the struct.
    void Encode(std::uint8_t* out) const;
    static TDataRecord Decode(const std::uint8_t* in);

    // The values of a 16-byte frame (big-endian 16-bit values); a sample record.
    static TDataRecord FromFrame(const std::uint8_t* frame);

    bool Signal(int k) const { return (Signals >> k) & 1U; } // k = 0 for K1
};
static_assert(sizeof(TDataRecord) == TDataRecord::Size, "a data record is stored as 24 bytes");
