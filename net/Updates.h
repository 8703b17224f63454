#pragma once

#include "net/HttpConnection.h"

#include <QString>

// Asks the service whether this version is current. Statuses of versionChecked:
// 0 the answer is not understood, 1 current, 2 an update to install at url,
// 3 a new version to get at the page url, 4 the network failed.
class UpdateCheckRequest : public MemPostRequest
{
    Q_OBJECT
public:
    enum Status { NotUnderstood = 0, Current = 1, InstallUpdate = 2, NewVersion = 3, NetworkFailure = 4 };

    explicit UpdateCheckRequest(const QString &url, QObject *parent = nullptr);
    void onFinished(QNetworkReply *reply, const bc_ret &errors) override;

    // Reads a reply body: the status, with url and the announced checksum filled in
    // and entries added to errors as the reply deserves.
    static int parseReply(const QByteArray &body, int httpStatus, QString &url, QString &sha256, bc_ret &errors);

signals:
    // Just before versionChecked, when the answer names the installer's SHA-256.
    void checksumAnnounced(const QString &sha256);
    void versionChecked(int status, const bc_ret &ret, const QString &url);

protected:
    bc_ret prepare(QNetworkRequest &request, QByteArray &body) override;

private:
    QString m_url;
};

// Downloads the announced installer into a new file of the temporary directory, and
// keeps it only when it may replace the program: from the service's own scheme, host
// and port, a 200 answer, not empty, matching the checksum the service announced (an
// update announced without one is not even fetched), and runnable here.
class UpdateDownloadRequest : public MemPostRequest
{
    Q_OBJECT
public:
    UpdateDownloadRequest(const QString &url, const QString &sha256, QObject *parent = nullptr);
    void onFinished(QNetworkReply *reply, const bc_ret &errors) override;

    // Empty when body may replace the program, else the reason why not.
    static bc_ret verifyInstaller(const QByteArray &body, const QString &sha256);
    // Empty when url is on the service's own scheme, host and port.
    static bc_ret verifyAddress(const QString &url);
    // Empty when a checksum was announced at all.
    static bc_ret verifyChecksumGiven(const QString &sha256);

signals:
    // path is empty on failure.
    void updateDownloadDone(const QString &path, const bc_ret &ret);

protected:
    bc_ret prepare(QNetworkRequest &request, QByteArray &body) override;

private:
    QString m_url;
    QString m_sha256;
};

// The form both update requests send: "version=" and this program's version.
QByteArray updateRequestBody();
