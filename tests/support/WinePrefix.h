#pragma once

// Test support: a Wine prefix of the test's own, on the test's X server, and stand-in
// poker programs run in it (tests/support/wine_table.c): top-level windows of the
// Windows classes and exact styles a test names.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <vector>

class WinePrefix
{
public:
    // Ends every process of the prefix.
    ~WinePrefix();
    // Makes the prefix; on failure Wine's own output is printed as a warning.
    bool start();
    QString path() const { return m_dir.filePath(QStringLiteral("prefix")); }
    // Runs the stand-in under this file name with CLASS STYLE TITLE triples (style in
    // hex) and waits until its windows are shown.
    bool runProgram(const QString &fileName, const QStringList &windows);

private:
    QProcessEnvironment environment() const;
    bool failed(const QString &what, QProcess &process);

    QTemporaryDir m_dir;
    std::vector<std::unique_ptr<QProcess>> m_programs;
};
