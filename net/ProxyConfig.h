#pragma once

#include "app/bc_ret.h"

#include <QString>

#include <memory>

class QNetworkAccessManager;

// How the program reaches the web service, kept in "net.conf".
struct ProxyConfig
{
    enum Option { NoProxy = 0, SystemProxy = 1, ManualProxy = 2 };
    int option = NoProxy;
    QString host;
    int port = 0; // 0: none given
    static bool isPort(int value) { return value >= 0 && value <= 65535; }
    QString user;
    QString password;
};
using ProxyConfigSptr = std::shared_ptr<ProxyConfig>;

// A missing or unreadable file, or a manual proxy without host or with a port that is
// no port (over 65535, say), gives no proxy.
ProxyConfigSptr loadProxyConfig();
// Written readable by the owner only: it holds the proxy password.
bc_ret saveProxyConfig(const ProxyConfig &config);
void applyProxy(QNetworkAccessManager *manager, const ProxyConfigSptr &config);
