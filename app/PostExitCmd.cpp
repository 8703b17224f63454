#include "app/PostExitCmd.h"

#include "app/Log.h"
#include "app/Paths.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>

bc_ret startDetachedProcess(const QString &program, const QStringList &arguments)
{
    if (program.isEmpty())
        return bc_ret(QStringLiteral("QProcess::startDetached"), -1, QStringLiteral("No program to start"));
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    if (!process.startDetached())
        return bc_ret(QStringLiteral("QProcess::startDetached"), qint64(process.error()), process.errorString());
    return bc_ret();
}

RestartCmd::RestartCmd(const QString &commandLine)
    : m_commandLine(commandLine)
{
}

QString RestartCmd::commandLineFor(const QStringList &arguments)
{
    QStringList quoted;
    for (const QString &argument : arguments) {
        // Split again by QProcess::splitCommand, where three quotes stand for one.
        QString text = argument;
        text.replace(QLatin1Char('"'), QStringLiteral("\"\"\""));
        quoted.append(QLatin1Char('"') + text + QLatin1Char('"'));
    }
    return quoted.join(QLatin1Char(' '));
}

void RestartCmd::execute(bc_ret &errors, QString &reason)
{
    QStringList parts = QProcess::splitCommand(m_commandLine);
    const QString program = parts.isEmpty() ? QString() : parts.takeFirst();
    logInfo(QStringLiteral("Restarting: %1").arg(m_commandLine));
    errors = startDetachedProcess(program, parts);
    reason = tr("Error while restarting.");
}

UpdateCmd::UpdateCmd(const QString &program, const QString &arguments)
    : m_program(program)
    , m_arguments(arguments)
{
}

QString UpdateCmd::commandText() const
{
    return QStringLiteral("%1 %2").arg(m_program, m_arguments);
}

QStringList UpdateCmd::launchCommand() const
{
    QStringList command = QProcess::splitCommand(m_arguments);
    command.prepend(m_program);
    const QString elevate = QStandardPaths::findExecutable(QStringLiteral("pkexec"));
    if (!elevate.isEmpty())
        command.prepend(elevate);
    return command;
}

namespace {

// Why the installer run failed, from its exit status.
QString installerFailure(int status, bool elevated)
{
    // The elevation helper's own statuses: the prompt was dismissed, or no rights given.
    if (elevated && status == 126)
        return QCoreApplication::translate("UpdateCmd", "The request for administrator rights was dismissed.");
    if (elevated && status == 127)
        return QCoreApplication::translate("UpdateCmd", "The administrator rights to install the update were refused.");
    return QCoreApplication::translate("UpdateCmd", "The installation ended with status %1.").arg(status);
}

} // namespace

void UpdateCmd::execute(bc_ret &errors, QString &reason)
{
    QStringList command = launchCommand();
    logInfo(QStringLiteral("Running update: %1").arg(command.join(QLatin1Char(' '))));
    const bool elevated = command.first() != m_program;
    reason = tr("Error while installing the update, please try again later or install the latest "
                "version from <a href=\"%1\">%1</a>.")
                     .arg(serviceUrl());
    // Waited for: only its exit status says whether the rights were given and the
    // program file replaced.
    QProcess process;
    process.setProgram(command.takeFirst());
    process.setArguments(command);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start();
    if (!process.waitForStarted(-1)) {
        errors = bc_ret(QStringLiteral("QProcess::start"), qint64(process.error()), process.errorString());
        return;
    }
    process.waitForFinished(-1);
    const QString output = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    if (!output.isEmpty())
        errors.add(output);
    if (process.exitStatus() != QProcess::NormalExit) {
        errors.add(QStringLiteral("QProcess::waitForFinished"), -1,
                   QCoreApplication::translate("UpdateCmd", "The installation stopped unexpectedly."));
        return;
    }
    if (process.exitCode() != 0) {
        errors.add(QStringLiteral("UpdateCmd::execute"), process.exitCode(), installerFailure(process.exitCode(), elevated));
        return;
    }
    // Installed: the new version starts with the user's own rights.
    logInfo(QStringLiteral("Update installed, restarting: %1").arg(m_program));
    errors = startDetachedProcess(m_program, {});
    reason = RestartCmd::tr("Error while restarting.");
}
