#pragma once

#include "net/HttpConnection.h"

// A poker table the program has started to follow.
struct Activity
{
    int roomId = -1;
    QString roomName;
    QString tableTitle;
    QString exePath;
};

// A short form the service keeps for the statistics. Best effort: the outcome is only
// logged, under the report's name.
class ReportRequest : public MemPostRequest
{
    Q_OBJECT
public:
    ReportRequest(const QString &name, const QString &path, const QByteArray &form, QObject *parent = nullptr);
    void onFinished(QNetworkReply *reply, const bc_ret &errors) override;

protected:
    bc_ret prepare(QNetworkRequest &request, QByteArray &body) override;

private:
    QString m_name;
    QString m_path;
    QByteArray m_form;
};

// The user's choice of starting with the desktop session, reported once per run.
ReportRequest *newAutostartReport(bool autoStart);
// A table taken up.
ReportRequest *newActivityReport(const Activity &activity);
