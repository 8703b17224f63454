#pragma once

#include "library/User.h"
#include "library/WindowConfig.h"

#include <QTemporaryDir>

#include <memory>

// A user of the program for a test: folders under home, default settings.
inline bool openTestUser(const QTemporaryDir &home, std::unique_ptr<User> &user, std::unique_ptr<WindowConfig> &settings)
{
    const QString dir = home.filePath(QStringLiteral("user"));
    if (!home.isValid() || ensureDirectories(dir).failed())
        return false;
    user = std::make_unique<User>(std::make_shared<UserInfo>(), dir);
    settings = std::make_unique<WindowConfig>(user->paths());
    return true;
}
