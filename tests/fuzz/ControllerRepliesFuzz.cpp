// The controller's replies on arbitrary bytes, through the real read of a parameter set: the
// type, software version and dump replies, then the digits of single-address reads. The
// replies are the input's pieces between '|' marks, in the order the commands ask for them;
// the first piece names the family of the window ("VF-TKX", anything else TKX).
#include "core/app/ControllerCommands.h"
#include "core/app/TConfiguration.h"
#include "core/link/TCommParameter.h"
#include "core/link/TTorvexController.h"
#include "core/params/TParameterTransfer.h"

#include "FuzzInstallation.h"
#include "TSimulatorLink.h"

#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TestInstallation& installation = FuzzInstallation();
    QList<QByteArray> pieces = QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)).split('|');
    const Family family = pieces.takeFirst() == "VF-TKX" ? Family::VfTkx : Family::Tkx;
    qsizetype next = 0;
    const auto reply = [&](const QByteArray& command) -> QByteArray {
        // Opening, leaving and the writes of a session get no reply of their own.
        if (command == "P" || command == "Q" || command == "\r" || command == "t\r" || command.startsWith("E:")) {
            return {};
        }
        return next < pieces.size() ? pieces[next++] : QByteArray();
    };

    ManualClock clock;
    TControllerAccess access(*installation.Configuration, installation.Ui, clock);
    access.OpenSession = [&](const TCommParameter&) {
        return std::make_unique<TTorvexController>(std::make_unique<TSimulatorLink>(reply, clock), 1000, false, clock);
    };
    TCommParameter port(QStringLiteral("/dev/fuzz"));
    TParameterTransfer transfer(*installation.Database, access, family);
    transfer.Port = &port;
    const TTransferOutcome outcome = transfer.Read();
    // A read that reports a stored set has one; any other outcome has stored nothing.
    TTable& sets = installation.Database->SetTable(family);
    const bool stored = !sets.IsEmpty() || sets.GetState() == TTable::State::Insert;
    if (stored != (outcome == TTransferOutcome::Saved)) {
        __builtin_trap();
    }
    {
        const auto session = access.OpenSession(port);
        while (next < pieces.size()) {
            (void)session->ReadParameter(104);
        }
    }
    ClearSets(installation);
    return 0;
}
