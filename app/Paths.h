#pragma once

#include "app/Version.h"

#include <QString>

// Fixed names, version constants and service addresses.

inline constexpr char kAppDirName[] = "Brindlecast";
inline constexpr char kUsersDirName[] = "users";

// The home directory joined with "Brindlecast".
QString appDataDir();
// A helper program of ours: the file named by the environment variable, else beside
// the running program, else in ../libexec/brindlecast, else where the build left it;
// empty when it is nowhere.
QString helperProgramPath(const QString &name, const char *environmentVariable, const QString &builtPath);
QString logFilePath();
QString netConfPath();
QString loginConfPath();
QString langConfPath();

// Base address of the web service, no trailing slash. The build sets a default;
// the environment variable BRINDLECAST_SERVICE_URL overrides it at run time.
QString serviceUrl();
QString serviceUrl(const QString &path);

// "Brindlecast_VERSION_STRING: 1.3.4; revision: 2936; server: <url>;"
QString versionLine();
