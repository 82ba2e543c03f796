#include "core/app/ControllerCommands.h"

#include "core/app/TConfiguration.h"
#include "core/base/Clock.h"
#include "core/base/Feedback.h"
#include "core/base/Language.h"
#include "core/base/Records.h"

#include <algorithm>

TControllerAccess::TControllerAccess(TConfiguration& configuration, Feedback& feedback, Clock& clock)
    : Configuration(configuration), Ui(feedback), Time(clock) {
    OpenSession = [this](const TCommParameter& port) {
        return std::make_unique<TTorvexController>(port, Configuration.LinkSettings(), Configuration.Ports(), Time);
    };
}

void ShowTransferError(TControllerAccess& access) {
    access.Ui.ShowMessage(MessageKind::Error, access.Configuration.Language().Text(Record::Error),
                          access.Configuration.Language().Text(Record::TransferError), MessageButtons::Ok);
}

bool RunMainCommand(TControllerAccess& access, MainCommand command) {
    struct Step {
        ControllerCommand Command;
        int WaitMs;
    };
    const Step step = command == MainCommand::LoadFactorySettings ? Step{ControllerCommand::LoadFactorySettings, 6000}
                      : command == MainCommand::SaveUserSettings  ? Step{ControllerCommand::SaveUserSettings, 6000}
                      : command == MainCommand::LoadUserSettings  ? Step{ControllerCommand::LoadUserSettings, 4000}
                                                                  : Step{ControllerCommand::ResetErrorList, 0};
    access.Ui.SetBusy(true);
    PortReservation port = access.Configuration.SelectPort();
    const bool taken = static_cast<bool>(port);
    if (port) {
        bool lineFailed = false;
        {
            const std::unique_ptr<TTorvexController> session = access.OpenSession(*port);
            session->SendCommand(step.Command);
            lineFailed = session->LinkFailed();
        }
        port.Release();
        if (lineFailed) {
            // The command never reached the controller: waiting for it would pretend it did.
            access.Ui.SetBusy(false);
            ShowTransferError(access);
            return true;
        }
        if (step.WaitMs > 0) {
            access.Time.Sleep(step.WaitMs); // the controller copies its memories meanwhile
        }
    }
    access.Ui.SetBusy(false);
    return taken;
}

PortReservation TControllerAccess::TakePort() {
    if (!ChosenPort.isEmpty()) {
        if (PortReservation port = Configuration.ReservePort(ChosenPort)) {
            return port;
        }
    }
    return Configuration.SelectPort();
}

int CheckControllerVersion(TControllerAccess& access) {
    const PortReservation port = access.Configuration.SelectPort();
    access.ChosenPort = port ? port->Name : QString();
    if (!port) {
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
            access.Ui.ShowMessage(MessageKind::Error, access.Configuration.Language().Text(Record::Warning),
                                  access.Configuration.Language().Text(Record::TransferError) +
                                      QStringLiteral("\r\r(") + text + QLatin1Char(')'),
                                  MessageButtons::Ok);
        }
    }
    return result;
}
