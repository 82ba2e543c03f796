#include "core/livedata/TDataRecorder.h"

#include "core/app/TConfiguration.h"
#include "core/base/Clock.h"
#include "core/base/DayNumber.h"
#include "core/base/Feedback.h"
#include "core/base/Language.h"
#include "core/base/Records.h"
#include "core/livedata/TCommunication.h"
#include "core/livedata/TSerialLiveLine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool WriteAt(int fd, const std::uint8_t* data, qint64 size, qint64 offset) {
    while (size > 0) {
        const ssize_t done = ::pwrite(fd, data, std::size_t(size), offset);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            if (done == 0) {
                errno = ENOSPC;
            }
            return false;
        }
        data += done;
        size -= done;
        offset += done;
    }
    return true;
}

QString SystemReason() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool SameFile(int fd, const QString& path) {
    struct stat open {};
    struct stat named {};
    return ::fstat(fd, &open) == 0 && ::stat(QFile::encodeName(path).constData(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

} // namespace

int TDataRecorder::OpenLocked(const QString& path, int flags, QString& why) {
    // The current file is shared with itself: a lock is held per open file, and the recorder's
    // own would refuse it. What is recorded so far is on the disk first.
    if (m_fd >= 0 && SameFile(m_fd, path)) {
        if (!FlushPending() || !WriteHeader()) {
            why = m_reason;
            return -1;
        }
        const int fd = ::fcntl(m_fd, F_DUPFD_CLOEXEC, 0);
        if (fd < 0) {
            why = SystemReason();
        }
        return fd;
    }
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISREG(info.st_mode)) {
        why = QStringLiteral("not a regular file");
        return -1;
    }
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC, 0644);
    if (fd < 0) {
        why = SystemReason();
        return -1;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        why = errno == EWOULDBLOCK ? QStringLiteral("another recording is writing into it") : SystemReason();
        ::close(fd);
        return -1;
    }
    return fd;
}

TRecorderSetup TRecorderSetup::FromConfiguration(const TConfiguration& configuration) {
    TRecorderSetup setup;
    setup.DataFilePath = configuration.DataFilePath;
    setup.CopyDirectory = configuration.GetWorkDirectory();
    setup.PicturesPerFile = configuration.IsSaveAutoEnabled() ? configuration.GetPicturesPerFile() : 0;
    setup.InputCapacity = configuration.FifoCapacity;
    setup.GapForNewPageMs = configuration.GetGapForNewPage();
    const TLanguage& language = configuration.Language();
    setup.OpenErrorText = language.Text(Record::ErrorOpenFile);
    setup.FormatErrorText = language.Text(Record::FileFormatNotValid);
    setup.OpenErrorCaption = language.Text(201);
    setup.WriteErrorText = language.Text(Record::WriteFileError);
    setup.PicturesText = language.Text(113);
    return setup;
}

TLiveLineFactory SerialLineFactory(const TCommParameter& port, TPortState& ports) {
    return [port, &ports] { return std::make_unique<TSerialLiveLine>(port, ports); };
}

TDataRecorder::TDataRecorder(TRecorderSetup setup, Feedback& feedback, Clock& clock, TLiveLineFactory lines,
                             TRecorderListener* listener)
    : m_setup(std::move(setup)), m_feedback(feedback), m_clock(clock), m_lines(std::move(lines)), m_listener(listener),
      m_input(m_setup.InputCapacity), m_output(m_setup.OutputCapacity) {
    QString message;
    QStringList notes;
    {
        std::lock_guard lock(m_fileLock);
        const QString& path = m_setup.DataFilePath;
        const QFileInfo info(path);
        // A file that was never given its header (a disk that filled at once) is a new file.
        if (!info.exists() || (info.isFile() && info.size() == 0)) {
            CreateEmpty(path, message);
        } else if (!OpenExisting(path, m_setup.TemporaryFile, message) && m_setup.TemporaryFile && info.isFile() &&
                   message.startsWith(m_setup.FormatErrorText)) {
            // Our own scratch file that is no data file any more: kept aside, never emptied.
            const QString aside = path + QStringLiteral(".damaged");
            QFile::remove(aside);
            if (QFile::rename(path, aside) && CreateEmpty(path, message)) {
                message.clear();
                m_notes << m_setup.FormatErrorText + path + QStringLiteral("\r(kept as ") + aside + QLatin1Char(')');
            }
        }
        m_initialPictureCount = m_header.PictureCount;
        notes.swap(m_notes);
    }
    if (!message.isEmpty()) {
        m_feedback.ShowMessage(MessageKind::Warning, m_setup.OpenErrorCaption, message, MessageButtons::Ok);
    }
    for (const QString& note : notes) {
        Tell(note);
    }
    StartThread();
    StartReceiver();
}

TDataRecorder::~TDataRecorder() {
    Stop();
    std::lock_guard lock(m_fileLock);
    if (m_fd >= 0) {
        m_header.ClosedAt = DayNumber::Of(m_clock.Now());
        CloseCurrent();
    }
}

bool TDataRecorder::IsFileUsable() const {
    std::lock_guard lock(m_fileLock);
    return m_fd >= 0;
}

bool TDataRecorder::ReceiverPresent() const {
    std::lock_guard lock(m_receiverLock);
    return m_receiver != nullptr;
}

QString TDataRecorder::ReceiverError() const {
    std::lock_guard lock(m_receiverLock);
    return m_receiverError;
}

TDataFileHeader TDataRecorder::Header() const {
    std::lock_guard lock(m_fileLock);
    return m_header;
}

QString TDataRecorder::FileName() const {
    std::lock_guard lock(m_fileLock);
    return m_fileName;
}

std::optional<QString> TDataRecorder::WriteError() const {
    std::lock_guard lock(m_fileLock);
    return m_writeError;
}

void TDataRecorder::Tell(const QString& text) {
    m_feedback.ShowStatus(3, text);
}

void TDataRecorder::StartThread() {
    m_thread = std::jthread([this](std::stop_token stop) { Loop(stop); });
}

void TDataRecorder::StopReceiverThread() {
    std::lock_guard lock(m_receiverLock);
    if (m_receiver) {
        m_receiver->Stop();
        m_receiver->Wait();
        m_receiver.reset();
    }
}

void TDataRecorder::Stop() {
    StopReceiverThread();
    // The loop records what is still queued, writes the header and ends.
    if (m_thread.joinable()) {
        m_thread.request_stop();
        m_thread.join();
    }
}

void TDataRecorder::StopReceiver() {
    {
        std::lock_guard lock(m_receiverLock);
        if (!m_receiver) {
            return;
        }
    }
    StopReceiverThread();
    // Recorded like any record; its time count 0 ends the drawing of the picture it lands in.
    TDataRecord marker;
    m_input.Put(marker, m_thread.get_stop_token());
}

void TDataRecorder::StartReceiver() {
    if (!m_thread.joinable() || m_thread.get_stop_token().stop_requested()) {
        if (m_thread.joinable()) {
            m_thread.join();
        }
        StartThread();
    }
    std::lock_guard lock(m_receiverLock);
    if (m_receiver || !m_lines) {
        return;
    }
    std::unique_ptr<TLiveLine> line = m_lines();
    TLiveLine* opened = line.get();
    auto receiver = std::make_unique<TCommunication>(m_input, std::move(line), m_setup.GapForNewPageMs, m_clock);
    if (receiver->IsOpen()) {
        m_receiver = std::move(receiver);
        m_receiverError.clear();
    } else {
        m_receiverError = opened->OpenError();
    }
}

void TDataRecorder::Loop(std::stop_token stop) {
    std::vector<TDataRecord> batch(256);
    std::vector<Completion> completed;
    std::vector<int> renewed;
    while (true) {
        const int count = m_input.GetSome(batch.data(), int(batch.size()), stop);
        if (count == 0) {
            break;
        }
        completed.clear();
        renewed.clear();
        bool written = false;
        std::vector<std::pair<QString, QString>> full;
        QStringList notes;
        {
            std::lock_guard lock(m_fileLock);
            written = RecordBatch(batch.data(), count, completed, renewed);
            full.swap(m_fullEvents);
            notes.swap(m_notes);
        }
        for (const QString& note : notes) {
            Tell(note);
        }
        if (m_listener != nullptr) {
            for (const Completion& done : completed) {
                m_listener->PictureCompleted(done.Picture, done.Header, done.File);
            }
            for (const auto& [saved, continuing] : full) {
                m_listener->FileFull(saved, continuing);
            }
        }
        if (!written) {
            FailWrite();
            return;
        }
        if (m_setup.FeedView) {
            TDataRecord marker;
            marker.Kind = TDataRecord::FileRenewed;
            auto next = renewed.begin();
            for (int i = 0; i < count; ++i) {
                if (!m_output.Put(batch[std::size_t(i)], stop)) {
                    break;
                }
                if (next != renewed.end() && *next == i) {
                    ++next;
                    if (!m_output.Put(marker, stop)) {
                        break;
                    }
                }
            }
        }
    }
    std::lock_guard lock(m_fileLock);
    if (m_fd >= 0 && !(FlushPending() && WriteHeader())) {
        m_writeError = WriteFailure();
    }
}

// The file, the system's reason, and how many pictures the file holds.
QString TDataRecorder::WriteFailure() const {
    return m_setup.WriteErrorText + m_fileName + QStringLiteral("\r(") + m_reason + QStringLiteral(")\r") +
           m_setup.PicturesText + QString::number(m_header.PictureCount);
}

void TDataRecorder::FailWrite() {
    QString text;
    {
        std::lock_guard lock(m_fileLock);
        // Back to what the disk holds: whole records, and a header that counts exactly them.
        QString ignored;
        const QString name = m_fileName;
        if (m_fd >= 0) {
            m_pending.clear();
            ::close(m_fd);
            m_fd = -1;
            OpenExisting(name, false, ignored);
        }
        // Told with the pictures the file holds now.
        m_writeError = WriteFailure();
        text = *m_writeError;
    }
    m_thread.request_stop();
    Tell(text);
    if (m_listener != nullptr) {
        m_listener->WriteFailed(text);
    }
    StopReceiverThread();
}

bool TDataRecorder::IsFull() const {
    return m_header.PictureCount >= TDataFileHeader::MaxPictures ||
           (m_setup.PicturesPerFile > 0 && m_header.PictureCount >= m_setup.PicturesPerFile);
}

bool TDataRecorder::RecordBatch(const TDataRecord* records, int count, std::vector<Completion>& completed,
                                std::vector<int>& renewed) {
    if (m_fd < 0) {
        return true; // no usable file: the view still sees the records
    }
    for (int i = 0; i < count; ++i) {
        const TDataRecord& r = records[i];
        if (r.Kind == TDataRecord::RunStart) {
            // A file found full (opened so, or its copy failed at the end of the last run): copied away
            // now. One that cannot go away ends the recording: a run appended to its last picture
            // could never be shown.
            if (m_header.PictureCount >= TDataFileHeader::MaxPictures) {
                if (!FlushPending()) {
                    return false;
                }
                if (!m_copyFailed && CopyAway(completed) && i > 0) {
                    renewed.push_back(i - 1);
                }
                if (m_header.PictureCount >= TDataFileHeader::MaxPictures) {
                    m_reason = QStringLiteral("it holds %1 pictures and could not be moved aside")
                                   .arg(TDataFileHeader::MaxPictures);
                    return false;
                }
            }
            if (m_header.PictureCount < TDataFileHeader::MaxPictures) {
                m_currentPicture = m_header.PictureCount;
                m_header.PictureTable[std::size_t(m_currentPicture)] = {
                    static_cast<std::int32_t>(m_writePos + qint64(m_pending.size())), 0};
                ++m_header.PictureCount;
                m_pictureOpen = true;
            }
        }
        const std::size_t at = m_pending.size();
        m_pending.resize(at + TDataRecord::Size);
        r.Encode(m_pending.data() + at);
        ++m_header.RecordCount;
        if (m_currentPicture >= 0) {
            ++m_header.PictureTable[std::size_t(m_currentPicture)].Count;
        }
        // The header goes to the disk as a picture starts and as it closes.
        const bool closes = r.Kind == TDataRecord::Gap && m_pictureOpen;
        if (r.Kind == TDataRecord::RunStart || closes) {
            if (!FlushPending() || !WriteHeader()) {
                return false;
            }
            if (closes) {
                m_pictureOpen = false;
                completed.push_back({m_currentPicture, m_header, m_fileName});
                // Between runs: a file that holds its pictures goes away now, while the port stays
                // open and the next run waits in the queue.
                if (IsFull() && !(m_copyFailed && m_header.PictureCount < TDataFileHeader::MaxPictures) &&
                    CopyAway(completed)) {
                    renewed.push_back(i);
                }
            }
        }
    }
    return FlushPending();
}

bool TDataRecorder::FlushPending() {
    if (m_pending.empty()) {
        return true;
    }
    if (!WriteAt(m_fd, m_pending.data(), qint64(m_pending.size()), m_writePos)) {
        m_reason = SystemReason();
        return false;
    }
    m_writePos += qint64(m_pending.size());
    m_pending.clear();
    return true;
}

bool TDataRecorder::WriteHeader() {
    // The records the header counts reach the disk before it does: a power failure leaves at
    // worst records the header does not count yet, which a reader recovers.
    std::uint8_t raw[TDataFileHeader::Size];
    m_header.Encode(raw);
    if (::fdatasync(m_fd) != 0 || !WriteAt(m_fd, raw, sizeof raw, 0) || ::fdatasync(m_fd) != 0) {
        m_reason = SystemReason();
        return false;
    }
    return true;
}

bool TDataRecorder::CopyAway(std::vector<Completion>& completed) {
    const QString current = m_fileName;
    const QByteArray from = QFile::encodeName(current);
    QString saved;
    QString note; // why the file stays, naming the file that failed
    const auto failed = [&](const QString& path, const QString& why) {
        note = m_setup.WriteErrorText + path + QStringLiteral("\r(") + why + QLatin1Char(')');
    };
    bool done = false;
    if (!FlushPending() || !WriteHeader()) {
        failed(current, m_reason);
    } else {
        // On the same file system the full file is renamed: nothing to copy, nothing lost. A name
        // another recorder took meanwhile is never replaced: the next free one is used.
        int renamed = -1;
        for (int attempt = 0; attempt < 100; ++attempt) {
            saved = AutomaticCopyPath(m_setup.CopyDirectory, m_clock.Now());
            renamed = ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, QFile::encodeName(saved).constData(),
                                  RENAME_NOREPLACE);
            if (renamed == 0 || errno != EEXIST) {
                break;
            }
        }
        QString why;
        if (renamed == 0) {
            // The recorder still holds the file open: it gets its closing stamp before the empty file
            // replaces it; if there is no room for that one, the full file comes back under its name.
            m_header.ClosedAt = DayNumber::Of(m_clock.Now());
            WriteHeader();
            done = CreateEmpty(current, note);
            if (!done) {
                ::rename(QFile::encodeName(saved).constData(), from.constData());
            }
        } else if (errno != EXDEV) {
            failed(saved, SystemReason());
        } else if (!SaveCopyLocked(saved, why)) {
            failed(saved, why);
        } else {
            done = CreateEmpty(current, note);
        }
    }
    if (done) {
        m_copyFailed = false;
        for (Completion& completion : completed) {
            if (completion.File == current) {
                completion.File = saved;
            }
        }
        m_fullEvents.emplace_back(saved, current);
        m_notes << current + QStringLiteral(" \u2192 ") + saved;
    } else {
        // Recording goes on in the full file; the copy is tried again only once it is full.
        m_copyFailed = true;
        m_notes << note;
    }
    return done;
}

void TDataRecorder::CloseCurrent() {
    if (m_fd < 0) {
        return;
    }
    if (FlushPending()) {
        WriteHeader();
    }
    ::close(m_fd); // and with it the lock
    m_fd = -1;
}

void TDataRecorder::TakeFile(int fd, const QString& path) {
    if (m_fd >= 0 && SameFile(m_fd, path)) {
        ::close(m_fd); // the same file opened again: what it held is on the disk already
        m_fd = -1;
    } else {
        CloseCurrent();
    }
    m_fd = fd;
    m_fileName = path;
    m_copyFailed = false;
    m_pictureOpen = false;
}

bool TDataRecorder::CreateEmpty(const QString& path, QString& message) {
    const bool existed = QFileInfo::exists(path);
    QString why;
    // Truncated only once the lock is ours: another recorder's file is never emptied.
    const int fd = OpenLocked(path, O_RDWR | O_CREAT, why);
    if (fd < 0) {
        message = m_setup.OpenErrorText + path + QStringLiteral("\r(") + why + QLatin1Char(')');
        return false;
    }
    // The file gets its header before it becomes current: the current one stays current when there
    // is no room for it, and a file without a header (every later recording would refuse it) is
    // removed, or left empty when it was there before.
    std::uint8_t raw[TDataFileHeader::Size];
    TDataFileHeader().Encode(raw);
    if (::ftruncate(fd, 0) != 0 || !WriteAt(fd, raw, sizeof raw, 0) || ::fdatasync(fd) != 0) {
        why = SystemReason();
        if (existed) {
            (void)::ftruncate(fd, 0);
        } else {
            ::unlink(QFile::encodeName(path).constData());
        }
        ::close(fd);
        message = m_setup.WriteErrorText + path + QStringLiteral("\r(") + why + QLatin1Char(')');
        return false;
    }
    TakeFile(fd, path);
    m_header = TDataFileHeader();
    m_currentPicture = -1;
    m_writePos = TDataFileHeader::Size;
    return true;
}

bool TDataRecorder::OpenExisting(const QString& path, bool resetWithoutPictures, QString& message) {
    QString why;
    const int fd = OpenLocked(path, O_RDWR, why);
    if (fd < 0) {
        message = m_setup.OpenErrorText + path + QStringLiteral("\r(") + why + QLatin1Char(')');
        return false;
    }
    QFile reader;
    QString error;
    std::optional<TDataFileScan> scan;
    if (reader.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) {
        scan = DataFile::Inspect(reader, error);
    }
    if (!scan) {
        ::close(fd);
        message = m_setup.FormatErrorText + path;
        return false;
    }
    TakeFile(fd, path);
    m_header = scan->Header;
    qint64 end = scan->UsableSize();
    const bool reset = resetWithoutPictures && m_header.PictureCount == 0;
    if (reset) {
        // Records that belong to no picture cannot be reached: the file starts afresh.
        m_header = TDataFileHeader();
        end = TDataFileHeader::Size;
    }
    // Only a partial record at the end goes: every whole one is kept.
    if (reader.size() != end && ::ftruncate(fd, end) != 0) {
        message = m_setup.WriteErrorText + path + QStringLiteral("\r(") + SystemReason() + QLatin1Char(')');
    }
    m_writePos = end;
    // What arrives before the next run starts belongs to no picture: a new session's first gap
    // record is no part of the last session's last run.
    m_currentPicture = -1;
    if (!scan->Cuts.isEmpty()) {
        m_notes << DataFile::CutsText(path, *scan);
    }
    if (reset || scan->HeaderCorrected()) {
        WriteHeader();
    }
    return true;
}

bool TDataRecorder::NewFile() {
    QString message;
    {
        std::lock_guard lock(m_fileLock);
        if (CreateEmpty(m_setup.DataFilePath, message)) {
            return true;
        }
    }
    m_feedback.ShowMessage(MessageKind::Warning, m_setup.OpenErrorCaption, message, MessageButtons::Ok);
    return false;
}

bool TDataRecorder::OpenFile(const QString& name, int& pictureCount) {
    QString message;
    QStringList notes;
    bool opened = false;
    {
        std::lock_guard lock(m_fileLock);
        opened = OpenExisting(name, false, message);
        if (opened) {
            pictureCount = m_header.PictureCount;
        }
        notes.swap(m_notes);
    }
    for (const QString& note : notes) {
        Tell(note);
    }
    if (!message.isEmpty()) {
        m_feedback.ShowMessage(MessageKind::Warning, m_setup.OpenErrorCaption, message, MessageButtons::Ok);
    }
    return opened;
}

bool TDataRecorder::SaveCopy(const QString& target, QString* why) {
    std::lock_guard lock(m_fileLock);
    QString reason;
    const bool saved = SaveCopyLocked(target, reason);
    if (why != nullptr) {
        *why = reason;
    }
    return saved;
}

bool TDataRecorder::SaveCopyLocked(const QString& target, QString& why) {
    if (m_fd < 0) {
        why = QStringLiteral("no data file is open");
        return false;
    }
    if (!FlushPending()) {
        why = m_reason;
        return false;
    }
    // Saving over the file being recorded into would leave the recording in a deleted file: it is
    // saved in place instead, and stays current.
    if (SameFile(m_fd, target)) {
        if (!WriteHeader()) {
            why = m_reason;
            return false;
        }
        return true;
    }
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly)) {
        why = out.errorString();
        return false;
    }
    std::uint8_t raw[TDataFileHeader::Size];
    m_header.Encode(raw);
    bool ok = out.write(reinterpret_cast<const char*>(raw), sizeof raw) == qint64(sizeof raw);
    std::vector<char> chunk(1 << 16);
    for (qint64 at = TDataFileHeader::Size; ok && at < m_writePos;) {
        const ssize_t got =
            ::pread(m_fd, chunk.data(), std::size_t(std::min<qint64>(qint64(chunk.size()), m_writePos - at)), at);
        ok = got > 0 && out.write(chunk.data(), got) == got;
        at += got;
    }
    ok = ok && out.flush() && out.error() == QFileDevice::NoError;
    if (!ok || !out.commit()) {
        why = out.errorString();
        out.cancelWriting();
        return false;
    }
    return true;
}

std::unique_ptr<QFile> TDataRecorder::OpenReader() const {
    auto reader = std::make_unique<QFile>(FileName());
    if (reader->open(QIODevice::ReadOnly)) {
        reader->seek(TDataFileHeader::Size);
    }
    return reader;
}

QString TDataRecorder::AutomaticCopyPath(const QString& directory, const QDateTime& now) {
    const QString base = QDir(directory).filePath(now.toString(QStringLiteral("yyMMddHHmm")));
    QString path = base + QStringLiteral(".dat");
    for (int k = 2; QFileInfo::exists(path); ++k) {
        path = base + QStringLiteral("-%1.dat").arg(k);
    }
    return path;
}
