#pragma once

#include <QObject>

#include <memory>

// Tells when the audio server's sources change (a device plugged in or out, a mute
// or volume changed by another program). Listens on its own thread; the signal
// arrives on the thread of this object.
class AudioWatcher : public QObject
{
    Q_OBJECT
public:
    explicit AudioWatcher(QObject *parent = nullptr);
    ~AudioWatcher() override;
    // False when the server could not be reached: no signal will come.
    bool isWatching() const;

signals:
    void sourcesChanged();

private:
    struct Private;
    std::unique_ptr<Private> d;
};
