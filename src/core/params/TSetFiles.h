#pragma once

#include "core/base/Family.h"
#include "core/params/VersionGates.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class Feedback;
class TParameterDatabase;
struct TSetValue;

// The parameter set files of one family (1 TKX, 2 VF-TKX): ".set" (the current set),
// ".prm" (every set of the family's table) and ".txt" (the current set, for people).
class TSetFiles {
public:
    enum Result { Ok = 0, CannotOpen = 1, WrongCount = 2, OtherFamily = 3, BadContent = 4 };
    enum class Kind { Set, AllSets, Text };
    // What the file dialogs and the command line know of a kind: its extension (without the
    // dot), its file-dialog filter, and whether it can be read back.
    struct KindInfo {
        Kind Which;
        const char* Extension;
        const char* Filter;
        bool Importable;
    };
    static const KindInfo& Info(Kind kind);
    // The kind a file name's extension asks for (exactly ".set", ".prm" or ".txt").
    static std::optional<Kind> KindOf(const QString& fileName);
    // The file-dialog filters in kind order, ending with "Any Files (*.*)"; the text file's
    // filter only where the text file is offered (a request for it then opens on "Any Files").
    static QStringList Filters(bool withText);
    // The 1-based position of the kind's filter in Filters(withText).
    static int FilterIndex(Kind kind) { return static_cast<int>(kind) + 1; }
    // Far more than any set file holds: a .prm of a thousand sets is well under 4 MB.
    static constexpr qint64 kMaxFileBytes = 8 * 1024 * 1024;

    TSetFiles(TParameterDatabase& database, Feedback& feedback, Family family);

    std::function<void(int)> Progress; // 0 .. 100

    Result WriteSetFile(const QString& fileName);
    Result WriteAllSetsFile(const QString& fileName);
    Result WriteTextFile(const QString& fileName);
    // An import leaves its last set as the current record in insert state; a file it
    // cannot take leaves nothing half read behind. BadContent: the file holds something
    // that is not a set line (the reason went to the feedback).
    Result ReadSetFile(const QString& fileName);
    Result ReadAllSetsFile(const QString& fileName);

    // The operation of a kind of file; a text file cannot be imported.
    Result Export(Kind kind, const QString& fileName);
    Result Import(Kind kind, const QString& fileName);
    // What a failed export or import tells the user, with the file's name and the system's
    // reason when there is one; empty when the reason was shown already (content the
    // import could not take).
    static QString FailureText(Result result, bool exporting, const QString& fileName, const TLanguage& language,
                               const QString& reason = {});
    // Why the last export or import could not open, read or save its file ("No space left
    // on device"); empty when there was no such reason.
    const QString& ErrorReason() const { return m_reason; }

    QString Marker() const;
    QString OtherMarker() const;

    static QString EncodeMemo(const QString& text);
    static QString DecodeMemo(const QString& text);
    static QString EncodeDescription(const QString& text);
    static QString DecodeDescription(const QString& text);

private:
    class Reader;
    Result Read(const QString& fileName, bool allSets);
    Result Write(const QString& fileName, bool allSets);
    // A metadata row as every set writes it: the field and its line up to the value.
    struct MetadataLine {
        QString Field;
        QString Prefix;
    };
    std::vector<MetadataLine> MetadataLines();
    void WriteSet(QString& out, const std::vector<MetadataLine>& rows, bool withMarker, double& counter, int& lines);
    double Step() const;
    // The range check of one set read from a file; shows the refusal and clears the values.
    // kept: what the message adds about sets already stored.
    bool ValuesAcceptable(std::vector<TSetValue>& values, const QString& fileName, const QString& kept);
    void SetProgress(double counter) const;
    QString Text(int record) const;

    TParameterDatabase& m_database;
    Feedback& m_feedback;
    Family m_family;
    mutable TVersionGates m_gates; // a cache of texts, kept across reads
    QString m_reason;
};
