#include "core/base/DayNumber.h"
#include "core/livedata/TDataFile.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <vector>

#include <ctime>

namespace {

TDataRecord Rec(int kind, int runTime, quint8 signals = 0) {
    TDataRecord r;
    r.Kind = kind;
    r.RunTime = static_cast<std::int16_t>(runTime);
    r.Signals = signals;
    return r;
}

QByteArray FileOf(const TDataFileHeader& header, const std::vector<TDataRecord>& records, int extraBytes = 0) {
    QByteArray bytes(TDataFileHeader::Size + int(records.size()) * TDataRecord::Size + extraBytes, '\x7f');
    header.Encode(reinterpret_cast<std::uint8_t*>(bytes.data()));
    for (std::size_t i = 0; i < records.size(); ++i) {
        records[i].Encode(reinterpret_cast<std::uint8_t*>(bytes.data()) + TDataFileHeader::OffsetOfRecord(qint64(i)));
    }
    return bytes;
}

std::optional<TDataFileScan> Inspect(QByteArray bytes, QString& error) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return DataFile::Inspect(buffer, error);
}

TEST(DataFileTest, RecordIsStoredLittleEndianInItsFieldOrderAndFramesAreBigEndian) {
    TDataRecord r;
    r.Kind = 1;
    r.StartDate = 0x0000B3A1;
    r.StartTime = 0x00551234;
    r.ActualValue = -2;
    r.SetPoint = 0x0102;
    r.RunTime = 0x0304;
    r.SolenoidValue = -32768;
    r.InverterValue = 0x7FFF;
    r.Signals = 0x85;
    std::uint8_t bytes[24];
    r.Encode(bytes);
    const std::vector<std::uint8_t> expected{1,    0,    0,    0,    0xA1, 0xB3, 0,    0,    0x34, 0x12, 0x55, 0,
                                             0xFE, 0xFF, 0x02, 0x01, 0x04, 0x03, 0x00, 0x80, 0xFF, 0x7F, 0x85, 0};
    EXPECT_EQ(std::vector<std::uint8_t>(bytes, bytes + 24), expected);
    EXPECT_EQ(TDataRecord::Decode(bytes), r);

    const std::uint8_t frame[16] = {0x0F, 9,    9,    0x01, 0x02, 0xFF, 0xFE, 0x03,
                                    0x04, 0x80, 0x00, 0x7F, 0xFF, 0x85, 9,    0x55};
    const TDataRecord decoded = TDataRecord::FromFrame(frame);
    EXPECT_EQ(decoded.SetPoint, 0x0102);
    EXPECT_EQ(decoded.ActualValue, -2);
    EXPECT_EQ(decoded.RunTime, 0x0304);
    EXPECT_EQ(decoded.SolenoidValue, -32768);
    EXPECT_EQ(decoded.InverterValue, 0x7FFF);
    EXPECT_EQ(decoded.Signals, 0x85);
    EXPECT_EQ(decoded.Kind, 0);
    EXPECT_EQ(decoded.Reserved, 0);
}

TEST(DataFileTest, HeaderLayout) {
    TDataFileHeader h;
    h.RecordCount = 0x01020304;
    h.PictureCount = 672;
    h.ClosedAt = 46000.5;
    h.PictureTable[0] = {5392, 7};
    h.PictureTable[671] = {0x0A0B0C0D, 3};
    std::uint8_t raw[TDataFileHeader::Size];
    h.Encode(raw);
    EXPECT_EQ(raw[0], 0x04);
    EXPECT_EQ(raw[3], 0x01);
    EXPECT_EQ(raw[4], 0xA0);
    EXPECT_EQ(raw[5], 0x02);
    EXPECT_EQ(raw[15], 0x40); // the double's sign and exponent byte comes last
    EXPECT_EQ(raw[16], 0x10);
    EXPECT_EQ(raw[17], 0x15);
    EXPECT_EQ(raw[20], 7);
    EXPECT_EQ(raw[16 + 8 * 671], 0x0D);
    EXPECT_EQ(raw[20 + 8 * 671], 3);
    EXPECT_EQ(TDataFileHeader::Decode(raw), h);
}

TEST(DataFileTest, BytesThatAreNoDataFileAreRefusedWithAReason) {
    TDataFileHeader tooMany;
    tooMany.PictureCount = 673;
    TDataFileHeader negative;
    negative.RecordCount = -1;
    TDataFileHeader misaligned;
    misaligned.PictureCount = 1;
    misaligned.PictureTable[0] = {5393, 1};
    TDataFileHeader intoHeader;
    intoHeader.PictureCount = 1;
    intoHeader.PictureTable[0] = {16, 1};
    const std::vector<TDataRecord> two{Rec(1, 0), Rec(0, 4)};
    // A header that counts nothing, then bytes no recorder writes (here the 0x7f filler).
    QByteArray junkTail = FileOf(TDataFileHeader(), {});
    junkTail += QByteArray(3 * TDataRecord::Size, '\x7f');
    const struct {
        const char* Name;
        QByteArray Bytes;
        const char* Reason;
    } cases[] = {
        {"empty", QByteArray(), "shorter"},
        {"header cut", FileOf(TDataFileHeader(), {}).left(5391), "shorter"},
        {"673 pictures", FileOf(tooMany, two), "673 pictures"},
        {"negative count", FileOf(negative, two), "-1 records"},
        {"picture between records", FileOf(misaligned, two), "picture 1"},
        {"picture in the header", FileOf(intoHeader, two), "picture 1"},
        {"no records after the header", junkTail, "record 1 is no record of a lift run"},
    };
    for (const auto& c : cases) {
        QString error;
        EXPECT_FALSE(Inspect(c.Bytes, error)) << c.Name;
        EXPECT_TRUE(error.contains(c.Reason)) << c.Name << ": " << error.toStdString();
    }
}

TEST(DataFileTest, RecordsTheHeaderDoesNotAccountForAreRebuiltIntoPictures) {
    // Written by a recorder killed during its fourth run: the header knows two pictures.
    TDataFileHeader h;
    h.RecordCount = 5;
    h.PictureCount = 2;
    h.PictureTable[0] = {int(TDataFileHeader::OffsetOfRecord(1)), 2};
    h.PictureTable[1] = {int(TDataFileHeader::OffsetOfRecord(3)), 2};
    const std::vector<TDataRecord> records{Rec(2, 0), Rec(1, 0), Rec(2, 0), Rec(1, 0), Rec(0, 4),
                                           Rec(0, 8), Rec(2, 8), Rec(1, 0), Rec(0, 4)};
    QString error;
    const auto scan = Inspect(FileOf(h, records, 10), error);
    ASSERT_TRUE(scan) << error.toStdString();
    EXPECT_EQ(scan->WholeRecords, 9);
    EXPECT_EQ(scan->TrailingBytes, 10);
    EXPECT_EQ(scan->RecoveredRecords, 4);
    EXPECT_EQ(scan->Header.RecordCount, 9);
    EXPECT_EQ(scan->Header.PictureCount, 3);
    EXPECT_EQ(scan->Header.PictureTable[1], (TPictureEntry{int(TDataFileHeader::OffsetOfRecord(3)), 4}));
    EXPECT_EQ(scan->Header.PictureTable[2], (TPictureEntry{int(TDataFileHeader::OffsetOfRecord(7)), 2}));

    // A header that counts no picture at all: the kind-1 records still make pictures.
    const auto zero = Inspect(FileOf(TDataFileHeader(), records), error);
    ASSERT_TRUE(zero);
    EXPECT_EQ(zero->Header.PictureCount, 3);
    EXPECT_EQ(zero->Header.PictureTable[0], (TPictureEntry{int(TDataFileHeader::OffsetOfRecord(1)), 2}));

    // A complete file is taken as it is.
    const auto whole = Inspect(FileOf(scan->Header, records), error);
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->RecoveredRecords, 0);
    EXPECT_EQ(whole->Header, scan->Header);
}

// A power failure cuts a file anywhere in its last records: every whole record is kept, a picture
// running past the end is shortened to them, one with none left is dropped, and what was cut is said.
TEST(DataFileTest, AFileCutShortKeepsEveryWholeRecordAndSaysWhatWasCut) {
    // Three pictures of 3, 2 and 2 records after one record that belongs to none.
    TDataFileHeader h;
    h.RecordCount = 8;
    h.PictureCount = 3;
    h.PictureTable[0] = {int(TDataFileHeader::OffsetOfRecord(1)), 3};
    h.PictureTable[1] = {int(TDataFileHeader::OffsetOfRecord(4)), 2};
    h.PictureTable[2] = {int(TDataFileHeader::OffsetOfRecord(6)), 2};
    const std::vector<TDataRecord> records{Rec(2, 0), Rec(1, 0), Rec(0, 4), Rec(2, 4),
                                           Rec(1, 0), Rec(2, 4), Rec(1, 0), Rec(2, 4)};
    const QByteArray whole = FileOf(h, records);
    // Every length from the middle of the second picture to the whole file: the last two records,
    // and the boundary between the second and the third picture.
    for (qint64 size = TDataFileHeader::OffsetOfRecord(5); size <= whole.size(); ++size) {
        const qint64 kept = (size - TDataFileHeader::Size) / TDataRecord::Size;
        QString error;
        const auto scan = Inspect(whole.left(size), error);
        ASSERT_TRUE(scan) << size << ": " << error.toStdString();
        EXPECT_EQ(scan->WholeRecords, kept) << size;
        EXPECT_EQ(scan->Header.RecordCount, kept) << size;
        EXPECT_EQ(scan->Header.PictureCount, kept >= 7 ? 3 : 2) << size;
        EXPECT_EQ(scan->Header.PictureTable[0].Count, 3) << size;
        EXPECT_EQ(scan->Header.PictureTable[1].Count, std::min<qint64>(2, kept - 4)) << size;
        if (kept >= 7) {
            EXPECT_EQ(scan->Header.PictureTable[2].Count, kept - 6) << size;
        }
        EXPECT_EQ(scan->Header.PictureTable[3], TPictureEntry{}) << size;
        EXPECT_EQ(scan->Cuts.isEmpty(), kept == 8) << size;
        EXPECT_EQ(scan->HeaderCorrected(), kept < 8) << size;
    }
    QString error;
    const auto cut = Inspect(whole.left(int(TDataFileHeader::OffsetOfRecord(5)) + 7), error);
    ASSERT_TRUE(cut);
    EXPECT_EQ(DataFile::CutsText("Run.dat", *cut), "Run.dat was cut short: picture 2 cut to 1 of its 2 records; "
                                                   "picture 3 dropped: none of its 2 records is in the file");
}

TEST(DataFileTest, RecoveryNeverFillsTheTableBeyondItsEnd) {
    TDataFileHeader h;
    h.PictureCount = TDataFileHeader::MaxPictures - 1;
    std::vector<TDataRecord> records;
    for (int k = 0; k < h.PictureCount; ++k) {
        h.PictureTable[std::size_t(k)] = {int(TDataFileHeader::OffsetOfRecord(k)), 1};
        records.push_back(Rec(1, 0));
    }
    h.RecordCount = h.PictureCount;
    records.insert(records.end(), {Rec(1, 0), Rec(1, 0), Rec(0, 4)});
    QString error;
    const auto scan = Inspect(FileOf(h, records), error);
    ASSERT_TRUE(scan);
    EXPECT_EQ(scan->Header.PictureCount, TDataFileHeader::MaxPictures);
    EXPECT_EQ(scan->Header.PictureTable.back().Count, 3);
}

TEST(DataFileTest, DrawingStopsWhereTheTimeRunsBackAndTheTenthRecordNamesTheDirection) {
    const auto picture = [](std::vector<TDataRecord> records) {
        TDataFileHeader h;
        h.PictureCount = 1;
        h.RecordCount = int(records.size());
        h.PictureTable[0] = {TDataFileHeader::Size, int(records.size())};
        return std::make_pair(h, FileOf(h, records));
    };
    const auto run = [](int drawn, quint8 signals, std::vector<TDataRecord> after = {}) {
        std::vector<TDataRecord> records;
        for (int i = 0; i < drawn; ++i) {
            records.push_back(Rec(i == 0 ? 1 : 0, 36 * i, signals));
        }
        records.insert(records.end(), after.begin(), after.end());
        return records;
    };
    const struct {
        const char* Name;
        std::vector<TDataRecord> Records;
        std::size_t Drawn;
        double Seconds;
        const char* Direction;
    } cases[] = {
        {"up, ended by a stop marker", run(12, 0x02, {Rec(0, 0), Rec(0, 500)}), 12, 396 / 180.0, "UP"},
        {"down", run(10, 0x08, {Rec(2, 324)}), 11, 324 / 180.0, "DOWN"},
        {"no direction signal", run(10, 0x10), 10, 324 / 180.0, "???"},
        {"fewer than ten drawn", run(9, 0x01, {Rec(0, 3)}), 9, 288 / 180.0, "???"},
        // Times 0 and 1: 0.56 rounds to 1, and 1 > 0.56 stops the drawing at the second record.
        {"rounding guard", {Rec(1, 0), Rec(0, 1), Rec(0, 1)}, 2, 1 / 180.0, "???"},
    };
    for (const auto& c : cases) {
        auto [header, bytes] = picture(c.Records);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QString error;
        const auto drawn = DataFile::DrawnRecords(buffer, header, 0, error);
        EXPECT_EQ(drawn.size(), c.Drawn) << c.Name;
        const auto summary = DataFile::Summarise(header, 0, drawn);
        EXPECT_DOUBLE_EQ(summary.Seconds, c.Seconds) << c.Name;
        EXPECT_EQ(summary.Direction, c.Direction) << c.Name;
        EXPECT_EQ(summary.RecordCount, int(c.Records.size())) << c.Name;
    }
}

// On the days clocks change, a day number's fraction is still the time the clock showed.
TEST(DataFileTest, DayNumbersKeepTheWallClockTimeOnTheDaysClocksChange) {
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "Europe/Berlin");
    tzset();
    for (const QDateTime& moment :
         {QDateTime(QDate(2026, 3, 29), QTime(14, 0)), QDateTime(QDate(2026, 10, 25), QTime(9, 30)),
          QDateTime(QDate(2026, 10, 25), QTime(23, 59, 59, 900))}) {
        EXPECT_EQ(DayNumber::ToDateTime(DayNumber::Of(moment)), moment) << moment.toString().toStdString();
        // A stamp counts in 8.64 ms steps: it reads back within one of them.
        EXPECT_LE(std::abs(DayNumber::ToDateTime(DayNumber::StampOf(moment)).msecsTo(moment)), 9);
    }
    if (zone.isNull()) {
        qunsetenv("TZ");
    } else {
        qputenv("TZ", zone);
    }
    tzset();
}

// Runs with known phases: an up run that starts fast, and a down run that starts slow.
TEST(DataFileTest, RunFiguresTellTheFastSlowAndLevellingPhases) {
    const auto rec = [](int time, std::uint8_t signals, int demand, int feedback) {
        TDataRecord r;
        r.RunTime = static_cast<std::int16_t>(time);
        r.Signals = signals;
        r.SetPoint = static_cast<std::int16_t>(demand);
        r.ActualValue = static_cast<std::int16_t>(feedback);
        return r;
    };
    struct Case {
        const char* name;
        std::vector<TDataRecord> run;
        DataFile::RunFigures expected;
    };
    const Case cases[] = {
        {"up: fast 2 s, then slow to the stop at 4 s, standing until 5 s",
         {rec(0, 0x03, 0, 0), rec(180, 0x03, 8000, 7000), rec(360, 0x02, 800, 2000), rec(540, 0x02, 800, 800),
          rec(720, 0x00, 0, 100), rec(900, 0x00, 0, 0)},
         {5, 2, 2, 2, 8, 7, 1.2, 2}},
        {"down: slow start, fast 1 s, slow to the end",
         {rec(0, 0x08, 500, 0), rec(90, 0x0C, 4000, 3000), rec(270, 0x08, 800, 900), rec(450, 0x00, 0, 100)},
         {2.5, 1, 1.5, 1, 4, 3, 1, 0.5}},
        {"no fast travel: no levelling", {rec(0, 0x02, 300, 0), rec(180, 0x00, 0, 0)}, {1, 0, 1, 0, 0.3, 0, 0.3, 0}},
        {"no records", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DataFile::RunFigures f = DataFile::Figures(c.run);
        EXPECT_DOUBLE_EQ(f.DurationS, c.expected.DurationS);
        EXPECT_DOUBLE_EQ(f.FastS, c.expected.FastS);
        EXPECT_DOUBLE_EQ(f.SlowS, c.expected.SlowS);
        EXPECT_DOUBLE_EQ(f.LevellingS, c.expected.LevellingS);
        EXPECT_DOUBLE_EQ(f.PeakDemandV, c.expected.PeakDemandV);
        EXPECT_DOUBLE_EQ(f.PeakFeedbackV, c.expected.PeakFeedbackV);
        EXPECT_DOUBLE_EQ(f.MaxDeviationV, c.expected.MaxDeviationV);
        EXPECT_DOUBLE_EQ(f.MaxDeviationAtS, c.expected.MaxDeviationAtS);
    }
}

TEST(DataFileTest, StartStampAndDayNumbersRoundTrip) {
    const QDateTime moment(QDate(2026, 12, 10), QTime(13, 43, 5, 120));
    const DayNumber::Stamp stamp = DayNumber::StampOf(moment);
    EXPECT_EQ(stamp.Days, 46366u);
    EXPECT_EQ(stamp.Fraction, 5715870u); // 49385.120 s of 86400, in 1/10,000,000 day
    // 8.64 ms units: the stamp reads back within one of them.
    EXPECT_LE(std::abs(DayNumber::ToDateTime(stamp).msecsTo(moment)), 9);
    EXPECT_EQ(DayNumber::ToDateTime(DayNumber::Of(moment)), moment);
    EXPECT_DOUBLE_EQ(DayNumber::Of(QDateTime(QDate(1899, 12, 30), QTime(18, 0))), 0.75);
}

} // namespace
