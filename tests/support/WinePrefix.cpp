#include "tests/support/WinePrefix.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace {

// Making a prefix on a loaded machine takes a while.
constexpr int kPatienceMs = 180000;

} // namespace

WinePrefix::~WinePrefix()
{
    QProcess server;
    server.setProcessEnvironment(environment());
    server.start(QStringLiteral("wineserver"), {QStringLiteral("-k")});
    server.waitForFinished(kPatienceMs);
    for (const std::unique_ptr<QProcess> &program : m_programs) {
        if (!program->waitForFinished(5000)) {
            program->kill();
            program->waitForFinished();
        }
    }
}

QProcessEnvironment WinePrefix::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("WINEPREFIX"), path());
    environment.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
    // No Mono or Gecko installer dialogs.
    environment.insert(QStringLiteral("WINEDLLOVERRIDES"), QStringLiteral("mscoree,mshtml="));
    return environment;
}

bool WinePrefix::failed(const QString &what, QProcess &process)
{
    qWarning("%s: %s", qPrintable(what), process.readAll().constData());
    return false;
}

bool WinePrefix::start()
{
    if (!m_dir.isValid())
        return false;
    QProcess boot;
    boot.setProcessEnvironment(environment());
    boot.setProcessChannelMode(QProcess::MergedChannels);
    boot.start(QStringLiteral("wineboot"), {QStringLiteral("--init")});
    if (!boot.waitForFinished(kPatienceMs) || boot.exitCode() != 0)
        return failed(QStringLiteral("wineboot failed"), boot);
    return QFileInfo(path() + QStringLiteral("/dosdevices")).isDir() || failed(QStringLiteral("no prefix made"), boot);
}

bool WinePrefix::runProgram(const QString &fileName, const QStringList &windows)
{
    const QString program = m_dir.filePath(fileName);
    if (!QFile::exists(program) && !QFile::copy(QStringLiteral(BC_WINE_TABLE), program))
        return false;
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment());
    process->setWorkingDirectory(m_dir.path());
    process->start(QStringLiteral("wine"), QStringList{program} + windows);
    QProcess &started = *process;
    m_programs.push_back(std::move(process));
    if (!QTest::qWaitFor([&] { return started.canReadLine() || started.state() == QProcess::NotRunning; },
                         kPatienceMs))
        return failed(fileName + QStringLiteral(" did not show its windows"), started);
    return started.readLine().trimmed() == "shown" || failed(fileName + QStringLiteral(" failed"), started);
}
