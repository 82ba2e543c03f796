#pragma once

#include "core/livedata/TDataFile.h"
#include "core/livedata/TDataRecordFifo.h"
#include "core/livedata/TLiveLine.h"

#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

class TPortState;
class Clock;
class Feedback;
class QFile;
class TCommunication;
class TConfiguration;
class TCommParameter;

// What a recorder is given. Texts are taken on the caller's thread, so the recorder's
// threads never read the configuration or the language records.
struct TRecorderSetup {
    QString DataFilePath;
    // The program's temporary file: reset when it holds no picture, re-created when unreadable.
    // Otherwise the file is the user's: opened as OpenFile opens it, created only when missing.
    bool TemporaryFile = true;
    QString CopyDirectory; // automatic copies of a full file land here
    int InputCapacity = 100;
    int OutputCapacity = 16000;
    bool FeedView = true; // nobody drains the view queue on the command line
    int GapForNewPageMs = 300;
    // When a run would start picture 673: the file to go on recording into (the full file stays
    // as it is). Not set: the full file is copied under an automatic name and emptied.
    std::function<QString(const QString& fullFile)> NextFileWhenFull;

    QString OpenErrorText = QStringLiteral("Error Open File : \r");
    QString FormatErrorText = QStringLiteral("File Format is not valid : \r");
    QString OpenErrorCaption = QStringLiteral("Test 1");
    QString WriteErrorText = QStringLiteral("Error Write File : \r");

    static TRecorderSetup FromConfiguration(const TConfiguration& configuration);
};

// Told on the recorder's thread what happened to the recording.
class TRecorderListener {
public:
    virtual ~TRecorderListener() = default;
    // A picture's closing gap record has been written (and the header with it).
    virtual void PictureCompleted(int picture, const TDataFileHeader& header) { (void)picture, (void)header; }
    // The file had no room for another picture: recording goes on in `continuingIn`;
    // `saved` holds the full file.
    virtual void FileFull(const QString& saved, const QString& continuingIn) { (void)saved, (void)continuingIn; }
    virtual void WriteFailed(const QString& text) { (void)text; }
};

// Creates the line a receiver listens on; the serial port in the program.
using TLiveLineFactory = std::function<std::unique_ptr<TLiveLine>()>;
TLiveLineFactory SerialLineFactory(const TCommParameter& port, TPortState& ports);

// The data recorder: a thread that writes every record the receiver delivers to the current
// data file, keeps the file's picture table and passes the records on to the view.
// The header reaches the disk (flushed) whenever a picture starts or is closed, so a killed
// recording loses at most the records in flight. The window's file operations and the
// recording loop take turns on one lock.
class TDataRecorder {
public:
    TDataRecorder(TRecorderSetup setup, Feedback& feedback, Clock& clock, TLiveLineFactory lines,
                  TRecorderListener* listener = nullptr);
    ~TDataRecorder();
    TDataRecorder(const TDataRecorder&) = delete;
    TDataRecorder& operator=(const TDataRecorder&) = delete;

    // The picture count of the file taken at construction.
    int InitialPictureCount() const { return m_initialPictureCount; }
    bool IsFileUsable() const;
    bool ReceiverPresent() const;

    // Stops the receiver, records what it delivered, writes the header and ends the thread.
    void Stop();
    // Stops the receiver (the port is closed) and records a marker record with time count 0.
    void StopReceiver();
    // A new receiver on the port; the recording thread runs again if it had been stopped.
    void StartReceiver();

    // Re-creates the temporary file empty and makes it current; false when it cannot be created.
    bool NewFile();
    // Makes an existing data file current; further runs are appended to it. On failure the
    // user is told and the current file stays.
    bool OpenFile(const QString& name, int& pictureCount);
    // A copy of the current file carrying the in-memory header, saved atomically.
    bool SaveCopy(const QString& target);
    // A reader of the current file positioned after the header; reads nothing when it cannot open.
    std::unique_ptr<QFile> OpenReader() const;
    void CloseReader(std::unique_ptr<QFile> reader) const { reader.reset(); }

    TDataFileHeader Header() const;
    QString FileName() const;
    TDataRecordFifo& Output() { return m_output; }
    // The write error that ended the recording, if one did.
    std::optional<QString> WriteError() const;

    // "yymmddhhnn.dat" in `directory`, with "-2", "-3", ... before ".dat" when taken already.
    static QString AutomaticCopyPath(const QString& directory, const QDateTime& now);

private:
    void Loop(std::stop_token stop);
    void StartThread();
    void StopReceiverThread();
    bool RecordBatch(const TDataRecord* records, int count, std::vector<int>& completed);
    bool FlushPending();
    bool WriteHeader();
    void RollOver();
    void FailWrite();
    // Under the file lock.
    bool CreateEmpty(const QString& path);
    // False with the message for the user when the file cannot be opened or is not a data file.
    bool OpenExisting(const QString& path, bool resetWithoutPictures, QString& message);
    void CloseCurrent();
    bool SaveCopyLocked(const QString& target);

    TRecorderSetup m_setup;
    Feedback& m_feedback;
    Clock& m_clock;
    TLiveLineFactory m_lines;
    TRecorderListener* m_listener;
    TDataRecordFifo m_input;
    TDataRecordFifo m_output;
    int m_initialPictureCount = 0;

    mutable std::mutex m_fileLock;
    QString m_fileName;
    int m_fd = -1;
    qint64 m_writePos = 0;
    TDataFileHeader m_header;
    int m_currentPicture = -1;
    bool m_pictureOpen = false; // a picture has started and its gap record has not come yet
    std::vector<std::uint8_t> m_pending;
    std::optional<QString> m_writeError;
    std::vector<std::pair<QString, QString>> m_fullEvents; // told once the lock is released

    mutable std::mutex m_receiverLock;
    std::unique_ptr<TCommunication> m_receiver;

    std::jthread m_thread;
};
