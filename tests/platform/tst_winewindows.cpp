// How a Wine program's prefix and loader are read from its process, and what the helper
// prints is read back. (Real Wine runs in tests/detection/tst_winetables.)
#include "platform/WineWindows.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestWineWindows : public QObject
{
    Q_OBJECT

private slots:
    void launchFromTheProcessEnvironment();
    void listingReadBack();

private:
    QString executable(const QString &name);
    QString prefix(const QString &path);

    QTemporaryDir m_dir;
};

QString TestWineWindows::executable(const QString &name)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

QString TestWineWindows::prefix(const QString &path)
{
    QDir().mkpath(path + QStringLiteral("/dosdevices"));
    return QDir(path).canonicalPath();
}

void TestWineWindows::launchFromTheProcessEnvironment()
{
    const QString loader = executable(QStringLiteral("wine64"));
    const QString preloader = executable(QStringLiteral("wine64-preloader"));
    const QString games = prefix(m_dir.filePath(QStringLiteral("games")));
    const QString home = m_dir.filePath(QStringLiteral("home"));
    const QString defaultPrefix = prefix(home + QStringLiteral("/.wine"));

    // Wine's own variables, as it sets them for its processes; its flag for the loader
    // it started is not passed on.
    wine::Launch launch;
    const QByteArray environ = QByteArrayList{"HOME=" + home.toLocal8Bit(), "WINEPREFIX=" + games.toLocal8Bit(),
                                              "WINELOADER=" + loader.toLocal8Bit(), "WINESERVER=/opt/wine/wineserver",
                                              "WINELOADERNOEXEC=1"}
                                       .join('\0');
    QVERIFY(wine::launchFrom(environ, preloader, launch).ok());
    QCOMPARE(launch.loader, loader);
    QCOMPARE(launch.prefix, games);
    QCOMPARE(launch.environment.value(QStringLiteral("WINEPREFIX")), games);
    QCOMPARE(launch.environment.value(QStringLiteral("WINESERVER")), QStringLiteral("/opt/wine/wineserver"));
    QVERIFY(!launch.environment.contains(QStringLiteral("WINELOADERNOEXEC")));

    // Without them: the loader beside the preloader that runs, and ~/.wine.
    wine::Launch plain;
    QVERIFY(wine::launchFrom("HOME=" + home.toLocal8Bit() + '\0', preloader, plain).ok());
    QCOMPARE(plain.loader, loader);
    QCOMPARE(plain.prefix, defaultPrefix);
    QVERIFY(!plain.environment.contains(QStringLiteral("WINESERVER")));

    // A prefix that is not there would be made anew, in the user's name: refused, as is
    // a loader that is not a program.
    wine::Launch refused;
    const bc_ret noPrefix = wine::launchFrom("WINEPREFIX=" + m_dir.filePath(QStringLiteral("none")).toLocal8Bit(),
                                             loader, refused);
    QVERIFY(noPrefix.failed());
    QVERIFY(noPrefix.messages(QStringLiteral(" ")).contains(QStringLiteral("none")));
    QVERIFY(wine::launchFrom("WINEPREFIX=" + games.toLocal8Bit(), m_dir.filePath(QStringLiteral("wine")), refused).failed());
    QVERIFY(refused.loader.isEmpty());
}

void TestWineWindows::listingReadBack()
{
    const QByteArray output = "10485761\t960f0003\t00000100\tBPTable\r\n"
                              "10485763\t94c800c4\t00000100\t#32770\n"
                              "10485764\t16cf0000\t00000000\tAfx:00400000:0\n"
                              "10485765\t16cf0000\t00000000\tTisch \xe2\x99\xa0\n"
                              // Malformed: no class, a style that is no number, no window.
                              "10485766\t16cf0000\t00000000\n"
                              "10485767\tstyle\t00000000\tX\n"
                              "0\t16cf0000\t00000000\tX\n"
                              "\n";
    const QList<WineWindow> windows = wine::parseListing(output);
    QCOMPARE(windows.size(), 4);
    QCOMPARE(windows.at(0).x11Window, WindowId(10485761));
    QCOMPARE(windows.at(0).style, 0x960F0003u);
    QCOMPARE(windows.at(0).exStyle, 0x100u);
    QCOMPARE(windows.at(0).className, QStringLiteral("BPTable"));
    QCOMPARE(windows.at(1).className, QStringLiteral("#32770"));
    QCOMPARE(windows.at(2).className, QStringLiteral("Afx:00400000:0"));
    QCOMPARE(windows.at(3).className, QStringLiteral("Tisch \u2660"));
}

QTEST_GUILESS_MAIN(TestWineWindows)
#include "tst_winewindows.moc"
