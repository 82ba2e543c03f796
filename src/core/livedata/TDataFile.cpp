#include "core/livedata/TDataFile.h"

#include "core/base/DayNumber.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QLocale>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

void Put32(std::uint8_t* out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::uint32_t Get32(const std::uint8_t* in) {
    return std::uint32_t(in[0]) | std::uint32_t(in[1]) << 8 | std::uint32_t(in[2]) << 16 | std::uint32_t(in[3]) << 24;
}

bool ReadExactly(QIODevice& file, qint64 offset, char* out, qint64 size) {
    if (!file.seek(offset)) {
        return false;
    }
    qint64 done = 0;
    while (done < size) {
        const qint64 got = file.read(out + done, size - done);
        if (got <= 0) {
            return false;
        }
        done += got;
    }
    return true;
}

// Records read in slices, so a big file never needs one big buffer.
constexpr qint64 kSliceRecords = 4096;

} // namespace

void TDataFileHeader::Encode(std::uint8_t* out) const {
    std::memset(out, 0, Size);
    Put32(out, static_cast<std::uint32_t>(RecordCount));
    Put32(out + 4, static_cast<std::uint32_t>(PictureCount));
    std::uint64_t bits = 0;
    std::memcpy(&bits, &ClosedAt, sizeof bits);
    Put32(out + 8, static_cast<std::uint32_t>(bits));
    Put32(out + 12, static_cast<std::uint32_t>(bits >> 32));
    for (int k = 0; k < MaxPictures; ++k) {
        Put32(out + 16 + 8 * k, static_cast<std::uint32_t>(PictureTable[k].Offset));
        Put32(out + 20 + 8 * k, static_cast<std::uint32_t>(PictureTable[k].Count));
    }
}

TDataFileHeader TDataFileHeader::Decode(const std::uint8_t* in) {
    TDataFileHeader h;
    h.RecordCount = static_cast<std::int32_t>(Get32(in));
    h.PictureCount = static_cast<std::int32_t>(Get32(in + 4));
    const std::uint64_t bits = std::uint64_t(Get32(in + 8)) | std::uint64_t(Get32(in + 12)) << 32;
    std::memcpy(&h.ClosedAt, &bits, sizeof bits);
    for (int k = 0; k < MaxPictures; ++k) {
        h.PictureTable[k].Offset = static_cast<std::int32_t>(Get32(in + 16 + 8 * k));
        h.PictureTable[k].Count = static_cast<std::int32_t>(Get32(in + 20 + 8 * k));
    }
    return h;
}

int DataFile::Recover(TDataFileHeader& header, qint64 firstIndex, const std::vector<TDataRecord>& tail) {
    int taken = 0;
    for (std::size_t i = 0; i < tail.size(); ++i) {
        const qint64 index = firstIndex + static_cast<qint64>(i);
        if (tail[i].Kind == TDataRecord::RunStart && header.PictureCount < TDataFileHeader::MaxPictures) {
            header.PictureTable[header.PictureCount] = {
                static_cast<std::int32_t>(TDataFileHeader::OffsetOfRecord(index)), 1};
            ++header.PictureCount;
        } else if (header.PictureCount > 0) {
            ++header.PictureTable[header.PictureCount - 1].Count;
        }
        ++header.RecordCount;
        ++taken;
    }
    return taken;
}

std::optional<TDataFileScan> DataFile::Inspect(QIODevice& file, QString& error) {
    const qint64 size = file.size();
    std::uint8_t raw[TDataFileHeader::Size];
    if (size < TDataFileHeader::Size || !ReadExactly(file, 0, reinterpret_cast<char*>(raw), sizeof raw)) {
        error =
            QStringLiteral("not a data file: shorter than a data file header (%1 bytes)").arg(TDataFileHeader::Size);
        return std::nullopt;
    }
    TDataFileScan scan;
    scan.Header = TDataFileHeader::Decode(raw);
    scan.WholeRecords = (size - TDataFileHeader::Size) / TDataRecord::Size;
    scan.TrailingBytes = (size - TDataFileHeader::Size) % TDataRecord::Size;
    TDataFileHeader& h = scan.Header;
    if (h.PictureCount < 0 || h.PictureCount > TDataFileHeader::MaxPictures || h.RecordCount < 0) {
        error = QStringLiteral("not a data file: the header counts %1 pictures and %2 records")
                    .arg(h.PictureCount)
                    .arg(h.RecordCount);
        return std::nullopt;
    }
    for (int k = 0; k < h.PictureCount; ++k) {
        const TPictureEntry& e = h.PictureTable[k];
        if (e.Offset < TDataFileHeader::Size || (e.Offset - TDataFileHeader::Size) % TDataRecord::Size != 0 ||
            e.Count < 0) {
            error = QStringLiteral("not a data file: picture %1 lies outside the file").arg(k + 1);
            return std::nullopt;
        }
    }
    // A file cut short (a power failure before the records reached the disk): every whole record
    // is kept, pictures are shortened to them, and a picture with none left is dropped.
    int kept = 0;
    for (int k = 0; k < h.PictureCount; ++k) {
        TPictureEntry e = h.PictureTable[k];
        const qint64 first = (qint64(e.Offset) - TDataFileHeader::Size) / TDataRecord::Size;
        if (first + e.Count > scan.WholeRecords) {
            const qint64 left = std::max<qint64>(0, scan.WholeRecords - first);
            if (left == 0) {
                scan.Cuts << QStringLiteral("picture %1 dropped: none of its %2 records is in the file")
                                 .arg(k + 1)
                                 .arg(e.Count);
                continue;
            }
            scan.Cuts << QStringLiteral("picture %1 cut to %2 of its %3 records").arg(k + 1).arg(left).arg(e.Count);
            e.Count = static_cast<std::int32_t>(left);
        }
        h.PictureTable[kept++] = e;
    }
    for (int k = kept; k < h.PictureCount; ++k) {
        h.PictureTable[k] = {};
    }
    h.PictureCount = kept;
    if (h.RecordCount > scan.WholeRecords) {
        if (scan.Cuts.isEmpty()) {
            scan.Cuts << QStringLiteral("%1 of the %2 records it counted are in the file")
                             .arg(scan.WholeRecords)
                             .arg(h.RecordCount);
        }
        h.RecordCount = static_cast<std::int32_t>(scan.WholeRecords);
    }
    // Where the accounted records end: the header's count, or further when a picture reaches beyond it
    // (files whose header was zeroed while records stayed behind it).
    qint64 accounted = std::min<qint64>(h.RecordCount, scan.WholeRecords);
    for (int k = 0; k < h.PictureCount; ++k) {
        const TPictureEntry& e = h.PictureTable[k];
        accounted = std::max(accounted, (qint64(e.Offset) - TDataFileHeader::Size) / TDataRecord::Size + e.Count);
    }
    std::vector<TDataRecord> tail;
    std::vector<char> bytes;
    for (qint64 index = accounted; index < scan.WholeRecords; index += kSliceRecords) {
        const qint64 count = std::min(kSliceRecords, scan.WholeRecords - index);
        bytes.resize(static_cast<std::size_t>(count * TDataRecord::Size));
        if (!ReadExactly(file, TDataFileHeader::OffsetOfRecord(index), bytes.data(), qint64(bytes.size()))) {
            error = QStringLiteral("the data file cannot be read");
            return std::nullopt;
        }
        tail.clear();
        for (qint64 i = 0; i < count; ++i) {
            const TDataRecord record =
                TDataRecord::Decode(reinterpret_cast<const std::uint8_t*>(bytes.data()) + i * TDataRecord::Size);
            // Bytes a recorder never writes: what follows the header is no record of a lift run.
            if (record.Kind < TDataRecord::Sample || record.Kind > TDataRecord::Gap || record.Reserved != 0) {
                error = QStringLiteral("not a data file: record %1 is no record of a lift run").arg(index + i + 1);
                return std::nullopt;
            }
            tail.push_back(record);
        }
        scan.RecoveredRecords += Recover(h, index, tail);
    }
    return scan;
}

bool DataFile::OpenRegularFile(QFile& file, QString& error) {
    const QFileInfo info(file.fileName());
    if (info.exists() && !info.isFile()) {
        error = QStringLiteral("%1 is not a regular file").arg(file.fileName());
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("%1 cannot be opened: %2").arg(file.fileName(), file.errorString());
        return false;
    }
    return true;
}

QString DataFile::CutsText(const QString& fileName, const TDataFileScan& scan) {
    return QStringLiteral("%1 was cut short: %2").arg(fileName, scan.Cuts.join(QStringLiteral("; ")));
}

std::vector<TDataRecord> DataFile::DrawnRecords(QIODevice& file, const TDataFileHeader& header, int picture,
                                                QString& error) {
    std::vector<TDataRecord> drawn;
    if (picture < 0 || picture >= header.PictureCount) {
        error = QStringLiteral("no picture %1").arg(picture + 1);
        return drawn;
    }
    const TPictureEntry& e = header.PictureTable[picture];
    if (e.Count <= 0 || e.Offset < TDataFileHeader::Size) {
        return drawn;
    }
    const qint64 bytes = qint64(e.Count) * TDataRecord::Size;
    if (e.Offset + bytes > file.size()) {
        error = QStringLiteral("picture %1 lies outside the file").arg(picture + 1);
        return drawn;
    }
    std::vector<char> raw(static_cast<std::size_t>(bytes));
    if (!ReadExactly(file, e.Offset, raw.data(), bytes)) {
        error = QStringLiteral("the data file cannot be read");
        return drawn;
    }
    // The guard is the rounded (halves to even) time of the last drawn point in 10 ms steps.
    double guard = 0;
    for (int i = 0; i < e.Count; ++i) {
        const TDataRecord r =
            TDataRecord::Decode(reinterpret_cast<const std::uint8_t*>(raw.data()) + i * TDataRecord::Size);
        const double m = r.RunTime * 100.0 / 180.0;
        if (guard > m) {
            break;
        }
        guard = std::nearbyint(m);
        drawn.push_back(r);
    }
    return drawn;
}

DataFile::PictureSummary DataFile::Summarise(const TDataFileHeader& header, int picture,
                                             const std::vector<TDataRecord>& drawn) {
    PictureSummary s;
    s.RecordCount = header.PictureTable[picture].Count;
    if (!drawn.empty()) {
        s.Start = DayNumber::ToDateTime(DayNumber::Stamp{drawn.front().StartDate, drawn.front().StartTime});
        s.Seconds = drawn.back().RunTime / 180.0;
    } else {
        s.Start = DayNumber::ToDateTime(DayNumber::Stamp{});
    }
    s.Direction = QStringLiteral("???");
    if (drawn.size() >= 10) {
        const TDataRecord& tenth = drawn[9];
        if (tenth.Signal(0) || tenth.Signal(1)) {
            s.Direction = QStringLiteral("UP");
        } else if (tenth.Signal(2) || tenth.Signal(3)) {
            s.Direction = QStringLiteral("DOWN");
        }
    }
    return s;
}

DataFile::RunFigures DataFile::Figures(const std::vector<TDataRecord>& drawn) {
    RunFigures f;
    if (drawn.empty()) {
        return f;
    }
    constexpr std::uint8_t kFast = 0x05;   // K1, K3
    constexpr std::uint8_t kTravel = 0x0F; // K1..K4
    const auto seconds = [](const TDataRecord& r) { return r.RunTime / 180.0; };
    f.DurationS = seconds(drawn.back());
    f.PeakDemandV = drawn.front().SetPoint / 1000.0;
    f.PeakFeedbackV = drawn.front().ActualValue / 1000.0;
    std::size_t lastFast = drawn.size();
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        const TDataRecord& r = drawn[i];
        f.PeakDemandV = std::max(f.PeakDemandV, r.SetPoint / 1000.0);
        f.PeakFeedbackV = std::max(f.PeakFeedbackV, r.ActualValue / 1000.0);
        const double deviation = std::abs(r.SetPoint - r.ActualValue) / 1000.0;
        if (deviation > f.MaxDeviationV) {
            f.MaxDeviationV = deviation;
            f.MaxDeviationAtS = seconds(r);
        }
        if (i + 1 < drawn.size()) {
            const double span = seconds(drawn[i + 1]) - seconds(r);
            if (r.Signals & kFast) {
                f.FastS += span;
            } else if (r.Signals & kTravel) {
                f.SlowS += span;
            }
        }
        if (r.Signals & kFast) {
            lastFast = i;
        }
    }
    if (lastFast + 1 < drawn.size()) {
        std::size_t stop = lastFast + 1;
        while (stop + 1 < drawn.size() && (drawn[stop].Signals & kTravel)) {
            ++stop;
        }
        f.LevellingS = seconds(drawn[stop]) - seconds(drawn[lastFast + 1]);
    }
    return f;
}

QByteArray DataFile::PictureCsv(const std::vector<TDataRecord>& drawn) {
    const auto full = [](double value) { return QString::number(value, 'g', QLocale::FloatingPointShortest); };
    QByteArray csv = "time_s,setpoint_V,actual_V,solenoid_V,inverter_V,K1,K2,K3,K4,K5,K6,K7,K8\n";
    csv.reserve(csv.size() + qsizetype(drawn.size()) * 64);
    for (const TDataRecord& r : drawn) {
        QString row = full(r.RunTime / 180.0);
        for (const std::int16_t mV : {r.SetPoint, r.ActualValue, r.SolenoidValue, r.InverterValue}) {
            row += QLatin1Char(',') + full(mV / 1000.0);
        }
        for (int k = 0; k < 8; ++k) {
            row += r.Signal(k) ? QStringLiteral(",1") : QStringLiteral(",0");
        }
        csv += row.toLatin1() + '\n';
    }
    return csv;
}
