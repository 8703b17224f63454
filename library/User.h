#pragma once

#include "app/bc_ret.h"

#include <QDir>
#include <QObject>
#include <QString>

#include <memory>

// The logged-in user's account data, as the service returns it at login.
struct UserInfo
{
    QString email;
    QString username;
    QString language;
};
using UserInfoSptr = std::shared_ptr<UserInfo>;

// Every place of one user's library, all absolute.
struct UserPaths
{
    explicit UserPaths(const QString &userDirectory = QString());

    QDir userDir;
    QDir tmp;
    QDir out;
    QDir recorded;
    QDir edited;
    QDir thumbnail;
    QString paramsFile;
    QString languageFile;
    QString pendingList;
    QString archiveList;
    QString editedList;
    QString windowFile;
    QString recognitionFile;
    QString detectionFile;
};

// The home directory joined with "Brindlecast/users/<userName>".
QString userDirectoryPath(const QString &userName);

// Makes sure the user directory and tmp, out, recorded, edited and thumbnail
// exist, in that order; the first that cannot be had is reported.
bc_ret ensureDirectories(const QString &userDirectory);

// Deletes the plain files (not sub-directories) of the user's "tmp" directory, except
// recording segments and their descriptions: they are offered for saving at the next start.
void removeTemporaryFiles(const UserPaths &paths);

// The logged-in user: account data and library paths. One instance at a time,
// reachable through User::current() while it lives.
class User : public QObject
{
    Q_OBJECT
public:
    User(const UserInfoSptr &info, const QString &userDirectory, QObject *parent = nullptr);
    ~User() override;

    static User *current();

    UserInfoSptr info() const { return m_info; }
    const UserPaths &paths() const { return m_paths; }

private:
    UserInfoSptr m_info;
    UserPaths m_paths;
    static User *s_current;
};
