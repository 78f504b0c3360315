#include "platform/QzCmn14.h"

#include "Version.h"
#include "core/services/OsDescription.h"

namespace orvane {

QzCmn14::QzCmn14()
{
    // "1.0.0" gives "1.00": minor and revision are written one after the other.
    AppVersion = QString::number(VersionMajor) + QLatin1Char('.') + QString::number(VersionMinor) +
                 QString::number(VersionPatch);
    KindErr = QStringLiteral("err");
    KindChk = QStringLiteral("chk");
    KindInfo = QStringLiteral("info");
    KindOkc = QStringLiteral("okc");
    KindYnc = QStringLiteral("ync");
    KindYn = QStringLiteral("yn");
    KindRc = QStringLiteral("rc");
    MB_Syserr = QVariant::fromValue<qint32>(16);
    MB_Question = QVariant::fromValue<qint32>(32);
    MB_Warning = QVariant::fromValue<qint32>(48);
    MB_Info = QVariant::fromValue<qint32>(64);
    WaitStartTime.clear();
    WaitFinishTime.clear();
    describeOperatingSystem();
    ExwShutdown = 1;
    ExwLogOff = 0;
    ExwReboot = 2;
    WM_MOUSEMOVE = 0x200;
    WM_LBUTTONDOWN = 0x201;
    WM_LBUTTONUP = 0x202;
    WM_LBUTTONDBLCLK = 0x203;
    WM_RBUTTONDOWN = 0x204;
    WM_RBUTTONUP = 0x205;
    WM_RBUTTONDBLCLK = 0x206;
    HH_DISPLAY_TREE = 1.0F;
    HH_DISPLAY_INDEX = 2.0F;
    HH_DISPLAY_CONTEXT = 15.0F;
}

void QzCmn14::describeOperatingSystem()
{
    const OsDescription d = describeThisSystem();
    OSVerID = d.verId;
    OSVerName = d.verName;
    OSPlatformID = d.platformId;
    OSPlatformName = d.platformName;
}

} // namespace orvane
