#include "PostExitCmd.h"

#include "Log.h"
#include "Paths.h"

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

void UpdateCmd::execute(bc_ret &errors, QString &reason)
{
    QStringList command = launchCommand();
    logInfo(QStringLiteral("Running update: %1").arg(command.join(QLatin1Char(' '))));
    const QString program = command.takeFirst();
    errors = startDetachedProcess(program, command);
    reason = tr("Error while installing the update, please try again later or install the latest "
                "version from <a href=\"%1\">%1</a>.")
                     .arg(serviceUrl());
}
