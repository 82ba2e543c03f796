#pragma once

#include "core/livedata/TDataRecord.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

class QFile;
class QIODevice;

struct TPictureEntry {
    std::int32_t Offset = 0; // file offset of the picture's first record
    std::int32_t Count = 0;  // records of the picture
    bool operator==(const TPictureEntry&) const = default;
};

// The fixed head of a data file: counts and the table of pictures (one lift run each).
struct TDataFileHeader {
    static constexpr int Size = 5392;
    static constexpr int MaxPictures = 672;

    std::int32_t RecordCount = 0;
    std::int32_t PictureCount = 0;
    double ClosedAt = 0; // day number of the last close by the recorder
    std::array<TPictureEntry, MaxPictures> PictureTable{};

    bool operator==(const TDataFileHeader&) const = default;

    void Encode(std::uint8_t* out) const;
    static TDataFileHeader Decode(const std::uint8_t* in);

    static constexpr qint64 OffsetOfRecord(qint64 index) { return Size + index * TDataRecord::Size; }
};

// What a reader learns from a data file. A recorder that was killed may have written
// records its header does not count yet: they are accounted for here, as the recorder
// would have done (kind-1 records start pictures), and a trailing partial record is left out.
// A file cut short (its header counts records the file no longer holds) keeps every whole
// record: a picture that runs past the end is shortened to them, one with none is dropped.
struct TDataFileScan {
    TDataFileHeader Header;
    qint64 WholeRecords = 0;  // complete records after the header
    qint64 TrailingBytes = 0; // bytes of a partial record at the end
    int RecoveredRecords = 0; // records found beyond what the stored header accounts for
    QStringList Cuts;         // what the header counted that the file no longer holds, one line each
    qint64 UsableSize() const { return TDataFileHeader::OffsetOfRecord(WholeRecords); }
    // The stored header differs from this one: the next write brings it up to date.
    bool HeaderCorrected() const { return RecoveredRecords > 0 || !Cuts.isEmpty(); }
};

namespace DataFile {

// Reads and checks the header; nullopt with a message when the bytes are not a data file
// (shorter than a header, counts out of range, a picture that starts inside the header or
// between two records).
std::optional<TDataFileScan> Inspect(QIODevice& file, QString& error);

// Opens `file` (its name set) for reading when it is a regular file: a fifo or a device would
// block or never end. False with the reason in `error`.
bool OpenRegularFile(QFile& file, QString& error);

// What a technician is told about a file cut short: its name, then what was cut.
QString CutsText(const QString& fileName, const TDataFileScan& scan);

// Brings a header up to date with the records after what it accounts for (the tail of the
// records held in `tail`, starting at record index `firstIndex`). Returns how many were taken.
int Recover(TDataFileHeader& header, qint64 firstIndex, const std::vector<TDataRecord>& tail);

// The records of picture `picture` (0-based) that a drawing shows: it stops before the first
// record whose time count runs backwards.
std::vector<TDataRecord> DrawnRecords(QIODevice& file, const TDataFileHeader& header, int picture, QString& error);

// One picture as a listing shows it.
struct PictureSummary {
    QDateTime Start; // the run's start stamp (local)
    int RecordCount = 0;
    double Seconds = 0; // time count of the last drawn record / 180
    QString Direction;  // "UP", "DOWN" or "???"
};
PictureSummary Summarise(const TDataFileHeader& header, int picture, const std::vector<TDataRecord>& drawn);

// The phases of a lift run in figures, from its drawn records. A record's signals hold until the
// next record: fast travel is K1 (up) or K3 (down) set, slow travel K2 or K4 without a fast one;
// levelling runs from the end of the last fast travel to the stop, the first record after it
// without K1..K4 (or the end of the run). Voltages in V, times in s.
struct RunFigures {
    double DurationS = 0;
    double FastS = 0;
    double SlowS = 0;
    double LevellingS = 0;
    double PeakDemandV = 0;
    double PeakFeedbackV = 0;
    double MaxDeviationV = 0; // the largest |demand - feedback|
    double MaxDeviationAtS = 0;
};
RunFigures Figures(const std::vector<TDataRecord>& drawn);

// The drawn records of a picture as CSV: a header line, then per record the time in s, the four
// voltages and K1..K8 as 0/1; every digit a double needs, "." as the decimal separator.
QByteArray PictureCsv(const std::vector<TDataRecord>& drawn);

} // namespace DataFile
