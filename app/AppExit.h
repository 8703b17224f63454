#pragma once

#include "app/PostExitCmd.h"

// Holds at most one post-exit command: the first one set wins. One instance
// lives on the entry point's stack for the whole run.
class AppExit
{
public:
    AppExit();
    ~AppExit();
    AppExit(const AppExit &) = delete;
    AppExit &operator=(const AppExit &) = delete;

    static AppExit *instance();

    void setCommand(const PostExitCmdSptr &cmd);
    bool hasCommand() const { return m_command != nullptr; }
    QString commandText() const;
    // Runs the pending command, if any, and drops it.
    void execute(bc_ret &errors, QString &reason);
    // The text of the box that tells the user a command failed.
    static QString failureText(const QString &reason, const bc_ret &errors);

private:
    PostExitCmdSptr m_command;
    static AppExit *s_instance;
};
