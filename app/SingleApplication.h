#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLockFile;
class QLocalServer;

// One running instance per user session. The first instance holds a lock file and
// listens on a local socket, both in the user's private runtime directory; a later
// start finds the lock taken and passes its message through the socket.
// A lock left by a crashed instance is recognised by its process id and taken over.
class SingleApplication : public QObject
{
    Q_OBJECT
public:
    static constexpr char kInstanceKey[] = "{C09835A4-2D69-4ad2-BEA1-97D742A4E2F6}-Lumo-Rask";

    explicit SingleApplication(const QString &key, QObject *parent = nullptr);
    ~SingleApplication() override;

    bool isRunning() const { return m_running; }
    // Only for a later instance: delivers text to the running one within the time limits.
    bool sendMessage(const QString &text);

    // Where the lock file and the socket live for a key.
    static QString lockFilePath(const QString &key);
    static QString serverPath(const QString &key);

signals:
    void messageAvailable(const QString &text);

public slots:
    void receiveMessage();

private:
    QString m_key;
    bool m_running = false;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
};
