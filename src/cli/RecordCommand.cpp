#include "cli/RecordCommand.h"

#include "cli/ControllerPort.h"
#include "cli/DataFileSupport.h"
#include "cli/RawArguments.h"
#include "cli/StopSignals.h"

#include "core/app/TConfiguration.h"
#include "core/link/SerialPort.h"
#include "core/livedata/TDataRecorder.h"

#include <QDeadlineTimer>
#include <QFileInfo>

#include <atomic>
#include <csignal>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

// Prints each completed picture and wakes the waiting command when it has enough, is told of a
// full file or of a failed write. Runs on the recorder's thread; the command prints nothing meanwhile.
class RecordListener : public TRecorderListener {
public:
    RecordListener(CliContext& context, int wanted) : m_context(context), m_wanted(wanted) {
        m_wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    }
    ~RecordListener() override {
        if (m_wake >= 0) {
            close(m_wake);
        }
    }
    RecordListener(const RecordListener&) = delete;
    RecordListener& operator=(const RecordListener&) = delete;

    void PictureCompleted(int picture, const TDataFileHeader& header, const QString& path) override {
        std::lock_guard lock(m_lock);
        QFile file(path);
        std::vector<TDataRecord> drawn;
        QString error;
        if (file.open(QIODevice::ReadOnly)) {
            drawn = DataFile::DrawnRecords(file, header, picture, error);
        }
        m_context.Out << DataFileSupport::PictureLine(picture + 1, DataFile::Summarise(header, picture, drawn))
                      << Qt::endl;
        ++m_completed;
        if (m_wanted > 0 && m_completed >= m_wanted) {
            Wake();
        }
    }
    // A full file moved aside and a failed write are told by the feedback (a line on standard
    // error each); here only what the command needs.
    void WriteFailed(const QString& text) override {
        (void)text;
        std::lock_guard lock(m_lock);
        m_failed = true;
        Wake();
    }

    bool Failed() const {
        std::lock_guard lock(m_lock);
        return m_failed;
    }
    int WakeFd() const { return m_wake; }

private:
    void Wake() {
        const std::uint64_t one = 1;
        (void)write(m_wake, &one, sizeof one);
    }

    CliContext& m_context;
    const int m_wanted;
    mutable std::mutex m_lock;
    int m_completed = 0;
    bool m_failed = false;
    int m_wake = -1;
};

} // namespace

void RecordCommand::Parse(const QStringList& arguments) {
    const CommandArguments parsed(Name(), arguments,
                                  {QStringLiteral("--out"), QStringLiteral("--seconds"), QStringLiteral("--pictures")});
    if (!parsed.Has(QStringLiteral("--out")) || !parsed.Positional.isEmpty() ||
        parsed.Value(QStringLiteral("--out")).isEmpty()) {
        throw UsageError(QStringLiteral("record needs --out FILE.dat"));
    }
    m_out = parsed.Value(QStringLiteral("--out"));
    if (parsed.Has(QStringLiteral("--seconds"))) {
        m_seconds = ParseIntegerArgument(parsed.Value(QStringLiteral("--seconds")), QStringLiteral("--seconds"));
        if (m_seconds < 1) {
            throw UsageError(QStringLiteral("--seconds must be 1 or more"));
        }
    }
    if (parsed.Has(QStringLiteral("--pictures"))) {
        m_pictures = ParseIntegerArgument(parsed.Value(QStringLiteral("--pictures")), QStringLiteral("--pictures"));
        if (m_pictures < 1) {
            throw UsageError(QStringLiteral("--pictures must be 1 or more"));
        }
    }
}

int RecordCommand::Run(CliContext& context) {
    const QString out = QFileInfo(m_out).absoluteFilePath();
    // The file is checked before anything touches it: a wrong file stays as it was.
    if (QFileInfo::exists(out)) {
        QFile file(out);
        QString error;
        if (!DataFile::OpenRegularFile(file, error)) {
            context.Err << "torvex: " << error << Qt::endl;
            return 1;
        }
        // An empty file (one that never got its header) is taken as a new data file.
        if (file.size() > 0 && !DataFile::Inspect(file, error)) {
            context.Err << "torvex: " << out << ": " << error << Qt::endl;
            return 1;
        }
        QFile writable(out);
        if (!writable.open(QIODevice::ReadWrite)) {
            context.Err << "torvex: " << out << " cannot be written: " << writable.errorString() << Qt::endl;
            return 1;
        }
    }
    ControllerPort port(context);
    if (!port.Obtained()) {
        return 1;
    }
    // Tried once here, so a port that cannot be opened leaves no new file behind.
    PortHandle probe = context.Configuration.Ports().Open(*port);
    if (!probe) {
        return port.CannotOpen();
    }
    context.Configuration.Ports().Close(std::move(probe));

    // Written in place while it runs: the file has its real name from the start.
    RawArguments::CreateInPlace(out);
    TRecorderSetup setup = TRecorderSetup::FromConfiguration(context.Configuration);
    setup.DataFilePath = out;
    setup.TemporaryFile = false;
    setup.FeedView = false;
    // A full file is copied away beside itself, as the data view copies its own into its folder.
    setup.CopyDirectory = QFileInfo(out).absolutePath();

    StopSignals signals;
    RecordListener listener(context, m_pictures);
    auto recorder = std::make_unique<TDataRecorder>(setup, context.Ui, context.Time,
                                                    SerialLineFactory(*port, context.Configuration.Ports()), &listener);
    if (!recorder->IsFileUsable()) {
        return 1;
    }
    if (!recorder->ReceiverPresent()) {
        recorder.reset();
        return port.CannotOpen();
    }
    const QDeadlineTimer deadline(m_seconds > 0 ? QDeadlineTimer(qint64(m_seconds) * 1000) : QDeadlineTimer::Forever);
    while (!deadline.hasExpired()) {
        pollfd fds[2] = {{signals.Fd(), POLLIN, 0}, {listener.WakeFd(), POLLIN, 0}};
        const int timeout = m_seconds > 0 ? int(std::max<qint64>(0, deadline.remainingTime())) : -1;
        const int ready = poll(fds, 2, timeout);
        if (ready > 0 && ((fds[0].revents | fds[1].revents) & POLLIN)) {
            break;
        }
    }
    // As the data view closes: the header is written at Stop, the close time when the recorder goes.
    recorder->Stop();
    recorder.reset();
    return listener.Failed() ? 1 : 0;
}
