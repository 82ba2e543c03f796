#include "SetFileSupport.h"

#include "app/Feedback.h"
#include "app/Language.h"

namespace SetFileSupport {

Kind KindOf(const QString& fileName, bool allowText) {
    if (fileName.endsWith(QLatin1String(".set"))) {
        return Kind::Set;
    }
    if (fileName.endsWith(QLatin1String(".prm"))) {
        return Kind::AllSets;
    }
    if (allowText && fileName.endsWith(QLatin1String(".txt"))) {
        return Kind::Text;
    }
    throw UsageError(QStringLiteral("%1: the file name must end in .set, .prm%2")
                         .arg(fileName, allowText ? QStringLiteral(" or .txt") : QString()));
}

bool Export(CliContext& context, TSetFiles& files, Kind kind, const QString& fileName) {
    const TSetFiles::Result result = kind == Kind::Set       ? files.WriteSetFile(fileName)
                                     : kind == Kind::AllSets ? files.WriteAllSetsFile(fileName)
                                                             : files.WriteTextFile(fileName);
    if (result != TSetFiles::Ok) {
        context.Ui.ShowMessage(MessageKind::Error, Text(166), Text(196) + fileName, MessageButtons::Ok);
        return false;
    }
    return true;
}

bool Import(CliContext& context, TSetFiles& files, Kind kind, const QString& fileName) {
    const TSetFiles::Result result =
        kind == Kind::AllSets ? files.ReadAllSetsFile(fileName) : files.ReadSetFile(fileName);
    const int record = result == TSetFiles::CannotOpen    ? 197
                       : result == TSetFiles::WrongCount  ? 199
                       : result == TSetFiles::OtherFamily ? 200
                                                          : 0;
    if (record != 0) {
        context.Ui.ShowMessage(MessageKind::Error, Text(166), Text(record) + fileName, MessageButtons::Ok);
    }
    return result == TSetFiles::Ok;
}

} // namespace SetFileSupport
