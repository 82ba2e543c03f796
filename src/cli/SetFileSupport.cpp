#include "cli/SetFileSupport.h"

#include "core/app/TConfiguration.h"

#include "core/base/Feedback.h"
#include "core/base/Language.h"
#include "core/base/Records.h"

namespace SetFileSupport {

Kind KindOf(const QString& fileName, bool allowText) {
    const std::optional<Kind> kind = TSetFiles::KindOf(fileName);
    if (kind && (allowText || TSetFiles::Info(*kind).Importable)) {
        return *kind;
    }
    throw UsageError(QStringLiteral("%1: the file name must end in .set, .prm%2")
                         .arg(fileName, allowText ? QStringLiteral(" or .txt") : QString()));
}

namespace {
bool Report(CliContext& context, const TSetFiles& files, TSetFiles::Result result, bool exporting,
            const QString& fileName) {
    const QString text =
        TSetFiles::FailureText(result, exporting, fileName, context.Configuration.Language(), files.ErrorReason());
    if (!text.isEmpty()) {
        context.Ui.ShowMessage(MessageKind::Error, context.Configuration.Language().Text(Record::Error), text,
                               MessageButtons::Ok);
    }
    return result == TSetFiles::Ok;
}
} // namespace

bool Export(CliContext& context, TSetFiles& files, Kind kind, const QString& fileName) {
    const TSetFiles::Result result = files.Export(kind, fileName);
    return Report(context, files, result, true, fileName);
}

bool Import(CliContext& context, TSetFiles& files, Kind kind, const QString& fileName) {
    const TSetFiles::Result result = files.Import(kind, fileName);
    return Report(context, files, result, false, fileName);
}

} // namespace SetFileSupport
