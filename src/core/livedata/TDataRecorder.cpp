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
#include <fcntl.h>
#include <unistd.h>

namespace {

bool WriteAt(int fd, const std::uint8_t* data, qint64 size, qint64 offset) {
    while (size > 0) {
        const ssize_t done = ::pwrite(fd, data, std::size_t(size), offset);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            return false;
        }
        data += done;
        size -= done;
        offset += done;
    }
    return true;
}

int OpenFd(const QString& path, int flags) {
    return ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC, 0644);
}

} // namespace

TRecorderSetup TRecorderSetup::FromConfiguration(const TConfiguration& configuration) {
    TRecorderSetup setup;
    setup.DataFilePath = configuration.DataFilePath;
    setup.CopyDirectory = configuration.GetWorkDirectory();
    setup.InputCapacity = configuration.FifoCapacity;
    setup.GapForNewPageMs = configuration.GetGapForNewPage();
    const TLanguage& language = configuration.Language();
    setup.OpenErrorText = language.Text(Record::ErrorOpenFile);
    setup.FormatErrorText = language.Text(Record::FileFormatNotValid);
    setup.OpenErrorCaption = language.Text(201);
    setup.WriteErrorText = language.Text(Record::WriteFileError);
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
    {
        std::lock_guard lock(m_fileLock);
        const QString& path = m_setup.DataFilePath;
        if (!QFileInfo::exists(path)) {
            CreateEmpty(path);
        } else if (m_setup.TemporaryFile) {
            // Our own scratch file: one that cannot be read any more is started afresh.
            if (!OpenExisting(path, true, message)) {
                message.clear();
                CreateEmpty(path);
            }
        } else {
            OpenExisting(path, false, message);
        }
        m_initialPictureCount = m_header.PictureCount;
    }
    if (!message.isEmpty()) {
        m_feedback.ShowMessage(MessageKind::Warning, m_setup.OpenErrorCaption, message, MessageButtons::Ok);
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
    auto receiver = std::make_unique<TCommunication>(m_input, m_lines(), m_setup.GapForNewPageMs, m_clock);
    if (receiver->IsOpen()) {
        m_receiver = std::move(receiver);
    }
}

void TDataRecorder::Loop(std::stop_token stop) {
    std::vector<TDataRecord> batch(256);
    std::vector<int> completed;
    struct FullEvent {
        QString Saved, ContinuingIn;
    };
    while (true) {
        const int count = m_input.GetSome(batch.data(), int(batch.size()), stop);
        if (count == 0) {
            break;
        }
        completed.clear();
        TDataFileHeader header;
        bool written = false;
        std::vector<std::pair<QString, QString>> full;
        {
            std::lock_guard lock(m_fileLock);
            written = RecordBatch(batch.data(), count, completed);
            if (!completed.empty()) {
                header = m_header;
            }
            full.swap(m_fullEvents);
        }
        if (m_listener != nullptr) {
            for (const auto& [saved, continuing] : full) {
                m_listener->FileFull(saved, continuing);
            }
            for (int picture : completed) {
                m_listener->PictureCompleted(picture, header);
            }
        }
        if (!written) {
            FailWrite();
            return;
        }
        if (m_setup.FeedView) {
            for (int i = 0; i < count; ++i) {
                if (!m_output.Put(batch[std::size_t(i)], stop)) {
                    break;
                }
            }
        }
    }
    std::lock_guard lock(m_fileLock);
    if (m_fd >= 0 && !WriteHeader()) {
        m_writeError = m_setup.WriteErrorText + m_fileName;
    }
}

void TDataRecorder::FailWrite() {
    QString text;
    {
        std::lock_guard lock(m_fileLock);
        text = m_writeError.value_or(QString());
        // Back to what the disk holds: whole records, and a header that counts exactly them.
        QString ignored;
        const QString name = m_fileName;
        if (m_fd >= 0) {
            m_pending.clear();
            ::close(m_fd);
            m_fd = -1;
            OpenExisting(name, false, ignored);
        }
    }
    m_thread.request_stop();
    m_feedback.ShowStatus(3, text);
    if (m_listener != nullptr) {
        m_listener->WriteFailed(text);
    }
    StopReceiverThread();
}

bool TDataRecorder::RecordBatch(const TDataRecord* records, int count, std::vector<int>& completed) {
    if (m_fd < 0) {
        return true; // no usable file: the view still sees the records
    }
    for (int i = 0; i < count; ++i) {
        const TDataRecord& r = records[i];
        if (r.Kind == TDataRecord::RunStart) {
            if (m_header.PictureCount >= TDataFileHeader::MaxPictures) {
                if (!FlushPending()) {
                    return false;
                }
                RollOver();
                if (m_fd < 0) {
                    return true;
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
                completed.push_back(m_currentPicture);
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
        m_writeError = m_setup.WriteErrorText + m_fileName;
        return false;
    }
    m_writePos += qint64(m_pending.size());
    m_pending.clear();
    return true;
}

bool TDataRecorder::WriteHeader() {
    std::uint8_t raw[TDataFileHeader::Size];
    m_header.Encode(raw);
    if (!WriteAt(m_fd, raw, sizeof raw, 0) || ::fdatasync(m_fd) != 0) {
        m_writeError = m_setup.WriteErrorText + m_fileName;
        return false;
    }
    return true;
}

void TDataRecorder::RollOver() {
    QString saved;
    QString continuing;
    if (m_setup.NextFileWhenFull) {
        continuing = m_setup.NextFileWhenFull(m_fileName);
        saved = m_fileName;
        m_header.ClosedAt = DayNumber::Of(m_clock.Now());
        QString ignored;
        if (!QFileInfo::exists(continuing) || !OpenExisting(continuing, false, ignored)) {
            CreateEmpty(continuing);
        }
    } else {
        saved = AutomaticCopyPath(m_setup.CopyDirectory, m_clock.Now());
        if (!SaveCopyLocked(saved)) {
            // Without a copy the full file must not be emptied: further runs join its last picture.
            return;
        }
        CreateEmpty(m_setup.DataFilePath);
        continuing = m_fileName;
    }
    m_fullEvents.emplace_back(saved, continuing);
}

void TDataRecorder::CloseCurrent() {
    if (m_fd < 0) {
        return;
    }
    if (FlushPending()) {
        WriteHeader();
    }
    ::close(m_fd);
    m_fd = -1;
}

bool TDataRecorder::CreateEmpty(const QString& path) {
    CloseCurrent();
    m_header = TDataFileHeader();
    m_fileName = path;
    m_currentPicture = -1;
    m_pictureOpen = false;
    m_writePos = TDataFileHeader::Size;
    m_fd = OpenFd(path, O_RDWR | O_CREAT | O_TRUNC);
    if (m_fd < 0) {
        return false;
    }
    if (!WriteHeader()) {
        ::close(m_fd);
        m_fd = -1;
        return false;
    }
    return true;
}

bool TDataRecorder::OpenExisting(const QString& path, bool resetWithoutPictures, QString& message) {
    const int fd = OpenFd(path, O_RDWR);
    if (fd < 0) {
        message = m_setup.OpenErrorText + path;
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
    CloseCurrent();
    m_fd = fd;
    m_fileName = path;
    m_header = scan->Header;
    qint64 end = scan->UsableSize();
    const bool reset = resetWithoutPictures && m_header.PictureCount == 0;
    if (reset) {
        // Records that belong to no picture cannot be reached: the file starts afresh.
        m_header = TDataFileHeader();
        end = TDataFileHeader::Size;
    }
    if (reader.size() != end && ::ftruncate(fd, end) != 0) {
        message = m_setup.WriteErrorText + path;
    }
    m_writePos = end;
    m_currentPicture = m_header.PictureCount - 1;
    m_pictureOpen = false;
    if (reset || scan->RecoveredRecords > 0) {
        WriteHeader();
    }
    return true;
}

bool TDataRecorder::NewFile() {
    std::lock_guard lock(m_fileLock);
    return CreateEmpty(m_setup.DataFilePath);
}

bool TDataRecorder::OpenFile(const QString& name, int& pictureCount) {
    QString message;
    {
        std::lock_guard lock(m_fileLock);
        if (OpenExisting(name, false, message)) {
            pictureCount = m_header.PictureCount;
            return true;
        }
    }
    m_feedback.ShowMessage(MessageKind::Warning, m_setup.OpenErrorCaption, message, MessageButtons::Ok);
    return false;
}

bool TDataRecorder::SaveCopy(const QString& target) {
    std::lock_guard lock(m_fileLock);
    return SaveCopyLocked(target);
}

bool TDataRecorder::SaveCopyLocked(const QString& target) {
    if (m_fd < 0 || !FlushPending()) {
        return false;
    }
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly)) {
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
    if (!ok) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
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
