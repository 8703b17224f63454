#pragma once

#include <QString>

// Process-wide log file, one record per line, callable from any thread.
// Records are dropped silently until openLog() succeeds.

enum class LogLevel { Debug = 0, Info = 1, Warning = 2, Error = 3 };

void logDebug(const QString &text);
void logInfo(const QString &text);
void logWarn(const QString &text);
void logError(const QString &text);
void logMessage(LogLevel level, const QString &text);

// A message of level L is written when L >= value. The value is 1 until start-up lowers it.
void setLogLevel(int value);

// Opens the file for appending; 0 on success, -1 when it cannot be opened.
int openLog(const QString &path);
