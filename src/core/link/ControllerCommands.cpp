#include "core/link/ControllerCommands.h"

#include "core/base/Clock.h"
#include "core/base/Feedback.h"
#include "core/base/Language.h"
#include "core/app/TConfiguration.h"

#include <algorithm>

namespace {
constexpr int kRecordTransferError = 167;
constexpr int kRecordWarning = 208;
} // namespace

TControllerAccess::TControllerAccess(TConfiguration& configuration, Feedback& feedback, Clock& clock)
    : Configuration(configuration), Ui(feedback), Time(clock) {
    OpenSession = [this](const TCommParameter& port) {
        return std::make_unique<TTorvexController>(port, Configuration, Time);
    };
}

bool RunMainCommand(TControllerAccess& access, MainCommand command) {
    struct Step {
        int Index;
        int WaitMs;
    };
    const Step step = command == MainCommand::LoadFactorySettings ? Step{16, 6000}
                      : command == MainCommand::SaveUserSettings  ? Step{18, 6000}
                      : command == MainCommand::LoadUserSettings  ? Step{17, 4000}
                                                                  : Step{19, 0};
    access.Ui.SetBusy(true);
    TCommParameter* port = access.Configuration.SelectPort();
    if (port != nullptr) {
        access.OpenSession(*port)->SendCommand(step.Index);
        port->InUse = false;
        if (step.WaitMs > 0) {
            access.Time.Sleep(step.WaitMs); // the controller copies its memories meanwhile
        }
    }
    access.Ui.SetBusy(false);
    return port != nullptr;
}

int CheckControllerVersion(TControllerAccess& access) {
    TCommParameter* port = access.Configuration.SelectPort();
    if (port == nullptr) {
        return 99998;
    }
    int result = 99998;
    {
        const std::unique_ptr<TTorvexController> session = access.OpenSession(*port);
        const QString text = session->ReadSoftwareVersion(QStringLiteral("2050"));
        const bool sevenDigits =
            text.size() == 7 && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= '0' && c <= '9'; });
        if (sevenDigits) {
            result = text.toInt();
        } else {
            access.Ui.ShowMessage(MessageKind::Error, Text(kRecordWarning),
                                  Text(kRecordTransferError) + QStringLiteral("\r\r(") + text + QLatin1Char(')'),
                                  MessageButtons::Ok);
        }
    }
    port->InUse = false;
    return result;
}
