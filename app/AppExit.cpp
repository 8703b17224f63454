#include "app/AppExit.h"

#include <QCoreApplication>

AppExit *AppExit::s_instance = nullptr;

AppExit::AppExit()
{
    s_instance = this;
}

AppExit::~AppExit()
{
    if (s_instance == this)
        s_instance = nullptr;
}

AppExit *AppExit::instance()
{
    return s_instance;
}

void AppExit::setCommand(const PostExitCmdSptr &cmd)
{
    if (!m_command)
        m_command = cmd;
}

QString AppExit::commandText() const
{
    return m_command ? m_command->commandText() : QString();
}

void AppExit::execute(bc_ret &errors, QString &reason)
{
    if (!m_command)
        return;
    PostExitCmdSptr command = std::move(m_command);
    command->execute(errors, reason);
}

QString AppExit::failureText(const QString &reason, const bc_ret &errors)
{
    return QCoreApplication::translate("main", "%1 Reason:<br>%2").arg(reason, errors.details(QStringLiteral(":<br>")));
}
