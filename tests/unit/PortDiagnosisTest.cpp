#include "core/link/PortDiagnosis.h"

#include <QFile>
#include <QSerialPort>

#include <gtest/gtest.h>

#include <grp.h>
#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A pty of its own, free until the test opens it.
struct Pty {
    Pty() {
        char name[256] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) == 0) {
            ::close(slave);
            device = QString::fromLocal8Bit(name);
        }
    }
    ~Pty() { ::close(master); }
    int master = -1;
    int slave = -1;
    QString device;
};

TEST(PortDiagnosis, EachReasonIsToldSoThatTheRightProblemIsLookedFor) {
    Pty pty;
    ASSERT_FALSE(pty.device.isEmpty());
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(pty.device).constData(), &info), 0);
    const group* owner = ::getgrgid(info.st_gid);
    ASSERT_NE(owner, nullptr);
    const QString ownerGroup = QString::fromLocal8Bit(owner->gr_name);

    const TPortDiagnosis missing = PortDiagnosis::Diagnose(QStringLiteral("/dev/no-such-tty"));
    EXPECT_EQ(missing.StateWord(), "missing");
    EXPECT_EQ(missing.Explanation(), "the device is missing (is the adapter plugged in?)");

    EXPECT_EQ(PortDiagnosis::Diagnose(pty.device).StateWord(), "available");

    // Root may open anything: the check is handed in, as a user outside the group meets it.
    const TPortDiagnosis denied = PortDiagnosis::Diagnose(pty.device, [](const QByteArray&) { return false; });
    EXPECT_EQ(denied.StateWord(), "no permission");
    EXPECT_EQ(denied.Explanation(),
              "permission denied; add your user to the group " + ownerGroup + " and log in again");

    QSerialPort holder(pty.device);
    ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
    const TPortDiagnosis busy = PortDiagnosis::Diagnose(pty.device);
    EXPECT_EQ(busy.StateWord(), "busy");
    EXPECT_EQ(busy.Explanation(), "it is held by another program"); // this process is not another one
    holder.close();
    EXPECT_EQ(PortDiagnosis::Diagnose(pty.device).StateWord(), "available");
}

} // namespace
