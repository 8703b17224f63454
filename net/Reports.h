#pragma once

#include "net/HttpConnection.h"

#include <memory>

// The user's choice of starting with the desktop session, as it was when reported.
struct StatData
{
    bool autoStart = false;
};
using StatDataSptr = std::shared_ptr<StatData>;

// Reports the autostart choice once per run. Best effort: the outcome is only logged.
class StatRequest : public MemPostRequest
{
    Q_OBJECT
public:
    explicit StatRequest(StatDataSptr data, QObject *parent = nullptr);
    void onFinished(QNetworkReply *reply, const bc_ret &errors) override;

protected:
    bc_ret prepare(QNetworkRequest &request, QByteArray &body) override;

private:
    StatDataSptr m_data;
};

// A poker table the program has started to follow.
struct Activity
{
    int roomId = -1;
    QString roomName;
    QString tableTitle;
    QString exePath;
};
using ActivitySptr = std::shared_ptr<Activity>;

// Reports a table taken up. Best effort: the outcome is only logged.
class ActivityRequest : public MemPostRequest
{
    Q_OBJECT
public:
    explicit ActivityRequest(ActivitySptr activity, QObject *parent = nullptr);
    void onFinished(QNetworkReply *reply, const bc_ret &errors) override;

protected:
    bc_ret prepare(QNetworkRequest &request, QByteArray &body) override;

private:
    ActivitySptr m_activity;
};
