#include "net/Reports.h"

#include "app/Log.h"
#include "app/Paths.h"

ReportRequest::ReportRequest(const QString &name, const QString &path, const QByteArray &form, QObject *parent)
    : MemPostRequest(parent)
    , m_name(name)
    , m_path(path)
    , m_form(form)
{
}

bc_ret ReportRequest::prepare(QNetworkRequest &request, QByteArray &body)
{
    setCommonHeaders(request, serviceUrl(m_path));
    // Qt sends a POST without a content type as a form anyway (warning on the console),
    // so it is named here.
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
    body = m_form;
    return bc_ret();
}

void ReportRequest::onFinished(QNetworkReply *reply, const bc_ret &errors)
{
    if (errors.failed())
        logDebug(QStringLiteral("The %1 report failed: %2").arg(m_name, errors.details(QStringLiteral(": "))));
    else if (reply)
        logDebug(QStringLiteral("The %1 report: HTTP code %2")
                         .arg(m_name)
                         .arg(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt()));
}

ReportRequest *newAutostartReport(bool autoStart)
{
    // The service reads these bytes as they are: no encoding.
    return new ReportRequest(QStringLiteral("autostart"), QStringLiteral("/soft/params"),
                             QByteArrayLiteral("param={\"auto_start\":") + (autoStart ? '1' : '0') + '}');
}

ReportRequest *newActivityReport(const Activity &activity)
{
    // Each value on its own, so that an "&" or "=" in a title cannot split the form.
    const auto encoded = [](const QString &value) { return value.toUtf8().toPercentEncoding(); };
    return new ReportRequest(QStringLiteral("activity"), QStringLiteral("/soft/activity"),
                             "roomId=" + QByteArray::number(activity.roomId) + "&roomName=" + encoded(activity.roomName)
                                     + "&tableTitle=" + encoded(activity.tableTitle)
                                     + "&exePath=" + encoded(activity.exePath));
}
