#include "net/Reports.h"

#include "app/Log.h"
#include "app/Paths.h"

StatRequest::StatRequest(StatDataSptr data, QObject *parent)
    : MemPostRequest(parent)
    , m_data(data ? std::move(data) : std::make_shared<StatData>())
{
}

bc_ret StatRequest::prepare(QNetworkRequest &request, QByteArray &body)
{
    setCommonHeaders(request, serviceUrl(QStringLiteral("/soft/params")));
    // The service reads these bytes as they are: no encoding. Qt sends a POST without a
    // content type as a form anyway (warning on the console), so it is named here.
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
    body = QByteArrayLiteral("param={\"auto_start\":") + (m_data->autoStart ? '1' : '0') + '}';
    return bc_ret();
}

void StatRequest::onFinished(QNetworkReply *reply, const bc_ret &errors)
{
    if (errors.failed()) {
        bc_ret logged = errors;
        logged.add(QStringLiteral("Error stat request"));
        logDebug(logged.details(QStringLiteral(": ")));
    } else if (reply) {
        logDebug(QStringLiteral("Stat HTTP code (%1)").arg(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt()));
    } else {
        logDebug(QStringLiteral("Unknown error stat request"));
    }
}

ActivityRequest::ActivityRequest(ActivitySptr activity, QObject *parent)
    : MemPostRequest(parent)
    , m_activity(activity ? std::move(activity) : std::make_shared<Activity>())
{
}

bc_ret ActivityRequest::prepare(QNetworkRequest &request, QByteArray &body)
{
    setCommonHeaders(request, serviceUrl(QStringLiteral("/soft/activity")));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
    // Each value on its own, so that an "&" or "=" in a title cannot split the form.
    const auto encoded = [](const QString &value) { return value.toUtf8().toPercentEncoding(); };
    body = "roomId=" + QByteArray::number(m_activity->roomId) + "&roomName=" + encoded(m_activity->roomName)
           + "&tableTitle=" + encoded(m_activity->tableTitle) + "&exePath=" + encoded(m_activity->exePath);
    return bc_ret();
}

void ActivityRequest::onFinished(QNetworkReply *reply, const bc_ret &errors)
{
    if (errors.failed())
        logDebug(QStringLiteral("Activity report failed: %1").arg(errors.details(QStringLiteral(": "))));
    else if (reply)
        logDebug(QStringLiteral("Activity HTTP code (%1)").arg(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt()));
}
