#pragma once

#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <QSocketNotifier>

class QWebEngineProfile;
class QWebEngineView;

// The service's pages, drawn by the web engine inside windows of the program. The
// program runs this in a process of its own, so that ending it gives back all the
// engine's memory. Orders come as one JSON object per line on standard input,
// answers go out the same way; the end of the input ends the process.
class WebPages : public QObject
{
    Q_OBJECT
public:
    // Reads orders from inputFd and writes answers to outputFd.
    WebPages(int inputFd, int outputFd, QObject *parent = nullptr);
    ~WebPages() override;

    // Carries out one order; false when it is not understood.
    bool handle(const QJsonObject &order);

signals:
    void inputEnded();

private:
    void readInput();
    void setProxy(const QJsonObject &order);
    void setCookie(const QJsonObject &order);
    void open(const QJsonObject &order);
    void load(const QJsonObject &order);
    void resize(const QJsonObject &order);
    void runScript(const QJsonObject &order);
    void close(const QJsonObject &order);
    void send(const QJsonObject &answer);

    int m_outputFd;
    QSocketNotifier m_input;
    QByteArray m_pending;
    QWebEngineProfile *m_profile = nullptr;
    QHash<int, QWebEngineView *> m_views;
};
