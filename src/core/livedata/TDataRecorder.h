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
    // The program's temporary file: reset when it holds no picture; one that is no data file is
    // moved aside (".damaged") and started afresh. Otherwise the file is the user's: opened as
    // OpenFile opens it, created only when missing or empty.
    bool TemporaryFile = true;
    QString CopyDirectory; // a full file is copied away into this folder under the time's name
    // A file that holds this many pictures at the end of a run is copied away and recording goes
    // on in the emptied file; 0: only when it is full (672 pictures).
    int PicturesPerFile = 0;
    int InputCapacity = 100;
    int OutputCapacity = 16000;
    bool FeedView = true; // nobody drains the view queue on the command line
    int GapForNewPageMs = 300;

    QString OpenErrorText = QStringLiteral("Error Open File : \r");
    QString FormatErrorText = QStringLiteral("File Format is not valid : \r");
    QString OpenErrorCaption = QStringLiteral("Test 1");
    QString WriteErrorText = QStringLiteral("Error Write File : \r");
    QString PicturesText = QStringLiteral("Total pictures: ");

    static TRecorderSetup FromConfiguration(const TConfiguration& configuration);
};

// Told on the recorder's thread what happened to the recording.
class TRecorderListener {
public:
    virtual ~TRecorderListener() = default;
    // A picture's closing gap record has been written (and the header with it); `file` holds the
    // picture now (the copy, when the full file went away right after it).
    virtual void PictureCompleted(int picture, const TDataFileHeader& header, const QString& file) {
        (void)picture, (void)header, (void)file;
    }
    // The file was full: its runs were saved as `saved`, recording goes on in `continuingIn`, emptied.
    virtual void FileFull(const QString& saved, const QString& continuingIn) { (void)saved, (void)continuingIn; }
    virtual void WriteFailed(const QString& text) { (void)text; }
};

// Creates the line a receiver listens on; the serial port in the program.
using TLiveLineFactory = std::function<std::unique_ptr<TLiveLine>()>;
TLiveLineFactory SerialLineFactory(const TCommParameter& port, TPortState& ports);

// The data recorder: a thread that writes every record the receiver delivers to the current
// data file, keeps the file's picture table and passes the records on to the view.
// Records reach the disk before the header that counts them; the header is written (and synced)
// whenever a picture starts or closes, so a killed recording loses at most the records in
// flight. The file is held with an exclusive lock while it is current, so a second recorder is
// refused. The window's file operations and the recording loop take turns on one lock.
// Everything the recorder has to tell goes through the feedback: messages for what the user
// asked for, ShowStatus(3) for what happened while recording (a full file copied away, a file
// found cut short, a failed write). `clock` is used from the recorder's and the receiver's
// threads: never the GUI's clock.
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
    // Why the last start of a receiver found no open line ("" when it found one).
    QString ReceiverError() const;

    // Stops the receiver, records what it delivered, writes the header and ends the thread.
    void Stop();
    // Stops the receiver (the port is closed) and records a marker record with time count 0.
    void StopReceiver();
    // A new receiver on the port; the recording thread runs again if it had been stopped.
    void StartReceiver();

    // Re-creates the temporary file empty and makes it current; false (with a message naming the
    // file and the reason) when it cannot be created.
    bool NewFile();
    // Makes an existing data file current; further runs are appended to it. On failure the
    // user is told and the current file stays.
    bool OpenFile(const QString& name, int& pictureCount);
    // A copy of the current file carrying the in-memory header, saved atomically. The current file
    // itself as the target is saved in place and stays current. False with the reason in `why`.
    bool SaveCopy(const QString& target, QString* why = nullptr);
    // A reader of the current file positioned after the header; reads nothing when it cannot open.
    std::unique_ptr<QFile> OpenReader() const;
    void CloseReader(std::unique_ptr<QFile> reader) const { reader.reset(); }

    TDataFileHeader Header() const;
    QString FileName() const;
    TDataRecordFifo& Output() { return m_output; }
    // The write error that ended the recording, if one did.
    std::optional<QString> WriteError() const;

    // "yymmddhhnn.dat" in `directory`, with "-2", "-3" ... before ".dat" when taken already.
    static QString AutomaticCopyPath(const QString& directory, const QDateTime& now);

private:
    void Loop(std::stop_token stop);
    void StartThread();
    void StopReceiverThread();
    // A picture whose closing record was written: what the file held then, and where it is now.
    struct Completion {
        int Picture = 0;
        TDataFileHeader Header;
        QString File;
    };
    // `renewed`: the indexes of records after which the file was copied away and emptied.
    bool RecordBatch(const TDataRecord* records, int count, std::vector<Completion>& completed,
                     std::vector<int>& renewed);
    bool FlushPending();
    bool WriteHeader();
    // The full file goes away under the time's name and recording goes on in it emptied.
    // True when it did (the current file is then empty); `completed` learn where their pictures went.
    bool CopyAway(std::vector<Completion>& completed);
    bool IsFull() const;
    void FailWrite();
    void Tell(const QString& text);
    // Under the file lock.
    // Opens `path` with the recorder's exclusive lock; the current file itself is shared with it.
    int OpenLocked(const QString& path, int flags, QString& why);
    bool CreateEmpty(const QString& path, QString& message);
    // False with the message for the user when the file cannot be opened or is not a data file.
    bool OpenExisting(const QString& path, bool resetWithoutPictures, QString& message);
    // Makes `fd` (opened on `path`, locked) the current file; the old one is closed.
    void TakeFile(int fd, const QString& path);
    void CloseCurrent();
    bool SaveCopyLocked(const QString& target, QString& why);
    QString WriteFailure() const;

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
    bool m_copyFailed = false;  // copying this file away failed: not tried again before it is full
    std::vector<std::uint8_t> m_pending;
    std::optional<QString> m_writeError;
    QString m_reason;                                      // the system's reason for the last failed write
    std::vector<std::pair<QString, QString>> m_fullEvents; // told once the lock is released
    QStringList m_notes;                                   // likewise

    mutable std::mutex m_receiverLock;
    std::unique_ptr<TCommunication> m_receiver;
    QString m_receiverError;

    std::jthread m_thread;
};
