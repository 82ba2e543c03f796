#include "cli/RawArguments.h"

#include <QStringDecoder>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The command line of this process, for CreateInPlace.
RawArguments* g_current = nullptr;

bool ValidUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = decoder.decode(bytes); // decoding happens only on conversion
    return !decoder.hasError();
}

} // namespace

RawArguments::RawArguments(int argc, char* argv[]) {
    m_standIns.reserve(static_cast<std::size_t>(std::max(argc, 1)));
    for (int i = 1; i < argc; ++i) {
        const QByteArray raw(argv[i]);
        if (ValidUtf8(raw)) {
            m_arguments << QString::fromUtf8(raw);
            continue;
        }
        // "--file=NAME": only the value is a name.
        const qsizetype equals = raw.indexOf('=');
        if (raw.startsWith('-') && equals > 0 && ValidUtf8(raw.left(equals + 1))) {
            m_arguments << QString::fromUtf8(raw.left(equals + 1)) + StandInFor(raw.mid(equals + 1));
        } else {
            m_arguments << StandInFor(raw);
        }
    }
    g_current = this;
}

void RawArguments::CreateInPlace(const QString& path) {
    if (g_current == nullptr) {
        return;
    }
    const QByteArray encoded = path.toUtf8();
    for (StandIn& standIn : g_current->m_standIns) {
        if (standIn.Path != encoded || standIn.Alias.isEmpty() || standIn.Existed) {
            continue;
        }
        const int fd =
            ::openat(standIn.Folder, standIn.RawBase.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        // Made meanwhile by someone else (another recording): shared all the same, never removed.
        standIn.Created = fd >= 0;
        if (fd >= 0) {
            ::close(fd);
        } else if (errno != EEXIST) {
            return;
        }
        struct stat info {};
        if (::fstatat(standIn.Folder, standIn.RawBase.constData(), &info, 0) != 0 || !S_ISREG(info.st_mode) ||
            ::linkat(standIn.Folder, standIn.RawBase.constData(), standIn.Folder, standIn.Alias.constData(), 0) != 0) {
            if (standIn.Created) {
                ::unlinkat(standIn.Folder, standIn.RawBase.constData(), 0);
                standIn.Created = false;
            }
            return;
        }
        standIn.Existed = true;
        standIn.Inode = info.st_ino;
        return;
    }
}

QString RawArguments::StandInFor(const QByteArray& raw) {
    const qsizetype slash = raw.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : raw.left(slash);
    StandIn standIn;
    standIn.Raw = raw;
    standIn.RawBase = raw.mid(slash + 1);
    standIn.Folder = ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (standIn.Folder < 0 || standIn.RawBase.isEmpty()) {
        // No folder to reach it through: the name as Qt reads it, which the command reports as missing.
        if (standIn.Folder >= 0) {
            ::close(standIn.Folder);
        }
        return QString::fromUtf8(raw);
    }
    const QByteArray through = "/proc/self/fd/" + QByteArray::number(standIn.Folder) + '/';
    if (ValidUtf8(standIn.RawBase)) {
        standIn.Path = through + standIn.RawBase;
    } else {
        // The hidden name keeps the extension: commands tell file kinds by it.
        const qsizetype dot = standIn.RawBase.lastIndexOf('.');
        const QByteArray extension = dot > 0 && ValidUtf8(standIn.RawBase.mid(dot)) ? standIn.RawBase.mid(dot) : "";
        standIn.AliasBase = ".torvex-" + QByteArray::number(::getpid()) + '-' +
                            QByteArray::number(qulonglong(m_standIns.size())) + extension;
        standIn.Alias = standIn.AliasBase;
        struct stat info {};
        if (::fstatat(standIn.Folder, standIn.RawBase.constData(), &info, 0) == 0) {
            standIn.Existed = true;
            standIn.Directory = S_ISDIR(info.st_mode);
            standIn.Inode = info.st_ino;
            const int linked = standIn.Directory
                                   ? ::symlinkat(standIn.RawBase.constData(), standIn.Folder, standIn.Alias.constData())
                                   : ::linkat(standIn.Folder, standIn.RawBase.constData(), standIn.Folder,
                                              standIn.Alias.constData(), 0);
            if (linked != 0) {
                ::close(standIn.Folder);
                return QString::fromUtf8(raw);
            }
        }
        standIn.Path = through + standIn.Alias;
    }
    m_standIns.push_back(standIn);
    return QString::fromUtf8(standIn.Path);
}

RawArguments::~RawArguments() {
    g_current = nullptr;
    for (const StandIn& standIn : m_standIns) {
        if (!standIn.Alias.isEmpty()) {
            struct stat info {};
            if (::fstatat(standIn.Folder, standIn.Alias.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
                const bool sameAsBefore = standIn.Existed && (standIn.Directory || info.st_ino == standIn.Inode);
                if (sameAsBefore) {
                    ::unlinkat(standIn.Folder, standIn.Alias.constData(), 0);
                } else {
                    // Written anew under the stand-in (all at once, as every file this program saves):
                    // it takes the real name in one step.
                    ::renameat(standIn.Folder, standIn.Alias.constData(), standIn.Folder, standIn.RawBase.constData());
                }
            }
        }
        struct stat made {};
        if (standIn.Created && ::fstatat(standIn.Folder, standIn.RawBase.constData(), &made, 0) == 0 &&
            made.st_ino == standIn.Inode && made.st_size == 0) {
            ::unlinkat(standIn.Folder, standIn.RawBase.constData(), 0); // made for nothing
        }
        ::close(standIn.Folder);
    }
}

QByteArray RawArguments::Shown(QByteArray text) const {
    for (const StandIn& standIn : m_standIns) {
        text.replace(standIn.Path, standIn.Raw);
        if (!standIn.AliasBase.isEmpty()) {
            text.replace(standIn.AliasBase, standIn.RawBase);
        }
    }
    return text;
}

ShownOutput::ShownOutput(std::FILE* stream, const RawArguments& arguments) : m_stream(stream), m_arguments(arguments) {
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 ShownOutput::writeData(const char* data, qint64 size) {
    const QByteArray shown = m_arguments.Shown(QByteArray(data, size));
    if (std::fwrite(shown.constData(), 1, static_cast<std::size_t>(shown.size()), m_stream) !=
        static_cast<std::size_t>(shown.size())) {
        return -1;
    }
    std::fflush(m_stream);
    return size;
}
