#pragma once

#include "app/bc_ret.h"

#include <QObject>
#include <QString>

#include <memory>

// An action that can only run once the program has let go of everything
// (installing an update, restarting after a logout). Run once, after the event loop.
class PostExitCmd : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // What will run (a command line); empty for the do-nothing command.
    virtual QString commandText() const = 0;
    // Runs the command; on failure appends to errors and sets reason.
    virtual void execute(bc_ret &errors, QString &reason) = 0;
};

using PostExitCmdSptr = std::shared_ptr<PostExitCmd>;

// Does nothing; during start-up it also tells the stages that the program must end.
class DoNopCmd : public PostExitCmd
{
    Q_OBJECT
public:
    DoNopCmd() = default;
    QString commandText() const override { return QString(); }
    void execute(bc_ret &, QString &) override {}
};

// Starts a command line (program and arguments, shell-style quoting) as a new process.
class RestartCmd : public PostExitCmd
{
    Q_OBJECT
public:
    explicit RestartCmd(const QString &commandLine);
    // The command line that starts arguments (program first) again, each one kept
    // whole whatever blanks or quotes it holds.
    static QString commandLineFor(const QStringList &arguments);
    QString commandText() const override { return m_commandLine; }
    void execute(bc_ret &errors, QString &reason) override;

private:
    QString m_commandLine;
};

// Runs the update program with raised rights (through pkexec where it is installed,
// otherwise with the rights the user has) and waits for it; when it has replaced the
// program file, starts the new version with the user's own rights.
class UpdateCmd : public PostExitCmd
{
    Q_OBJECT
public:
    UpdateCmd(const QString &program, const QString &arguments);
    QString commandText() const override;
    void execute(bc_ret &errors, QString &reason) override;

    // The program and arguments actually started, elevation helper included.
    QStringList launchCommand() const;

private:
    QString m_program;
    QString m_arguments;
};

// Starts program with arguments as a detached process; on failure one entry
// naming the call, with the system's text for the failure.
bc_ret startDetachedProcess(const QString &program, const QStringList &arguments);
