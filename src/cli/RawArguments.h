#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QStringList>

#include <cstdio>
#include <vector>

// The command line as the system gave it. Qt takes every argument as UTF-8, so a file name that is
// not valid UTF-8 (one made on an old stick or share) would be read and written under another
// name. Such an argument becomes a stand-in path that leads to the same file: its folder is held
// open and reached as /proc/self/fd/N, and a name the folder holds that is not UTF-8 is given a
// second, hidden name there (a hard link, or a symbolic link for a folder) for as long as the
// command runs. What the command wrote under the stand-in is put under the real name at the end;
// messages show the real name.
class RawArguments {
public:
    RawArguments(int argc, char* argv[]);
    ~RawArguments(); // the written stand-ins take their real names, the hidden names go
    RawArguments(const RawArguments&) = delete;
    RawArguments& operator=(const RawArguments&) = delete;

    // The arguments without the program name.
    const QStringList& Arguments() const { return m_arguments; }
    // Text as it is printed: every stand-in replaced by the bytes of the name it stands for.
    QByteArray Shown(QByteArray text) const;
    // For a file a command is about to write into in place for as long as it runs (a recording):
    // when the path is the stand-in of a name that does not exist yet, that name is made now and
    // the stand-in becomes a second name of it. A second recording under the same name then finds
    // the file locked, and one that is killed leaves its runs under the real name. Made empty, it
    // goes again at the end if nothing was written into it.
    static void CreateInPlace(const QString& path);

private:
    struct StandIn {
        QByteArray Path;      // what the command was given
        QByteArray Raw;       // the argument as the system gave it
        QByteArray Alias;     // the hidden name in the folder; empty when the name itself is UTF-8
        QByteArray RawBase;   // the real name in the folder
        QByteArray AliasBase; // the stand-in's file name, as a command may print it alone
        int Folder = -1;
        bool Existed = false;
        bool Directory = false;
        bool Created = false; // made by CreateInPlace
        unsigned long long Inode = 0;
    };
    QString StandInFor(const QByteArray& raw);

    QStringList m_arguments;
    std::vector<StandIn> m_standIns;
};

// Standard output or error through RawArguments::Shown.
class ShownOutput : public QIODevice {
public:
    ShownOutput(std::FILE* stream, const RawArguments& arguments);

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    std::FILE* m_stream;
    const RawArguments& m_arguments;
};
