#include "net/ProxyConfig.h"

#include "app/Log.h"
#include "app/Paths.h"
#include "library/XmlElement.h"

#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>

#include <optional>
#include <QUrl>

ProxyConfigSptr loadProxyConfig()
{
    auto config = std::make_shared<ProxyConfig>();
    XmlRootElement root;
    if (root.readFromFile(netConfPath()).failed())
        return config;
    const int option = root.childInt(QStringLiteral("option"), 0);
    config->option = option == 1 || option == 2 ? option : 0;
    config->host = root.childString(QStringLiteral("host"));
    config->port = root.childInt(QStringLiteral("port"), 0);
    config->user = root.childString(QStringLiteral("user"));
    config->password = root.childString(QStringLiteral("password"));
    if (config->option == ProxyConfig::ManualProxy && config->host.isEmpty())
        config->option = ProxyConfig::NoProxy;
    // Not wrapped into some other port: a proxy that cannot be the one meant is none.
    if (!ProxyConfig::isPort(config->port)) {
        if (config->option == ProxyConfig::ManualProxy) {
            logWarn(QStringLiteral("The proxy port %1 in %2 is not a port: no proxy used.").arg(config->port).arg(netConfPath()));
            config->option = ProxyConfig::NoProxy;
        }
        config->port = 0;
    }
    return config;
}

bc_ret saveProxyConfig(const ProxyConfig &config)
{
    XmlRootElement root;
    if (config.option == ProxyConfig::ManualProxy && config.host.isEmpty()) {
        root.addChild(QStringLiteral("option"), 0);
    } else {
        root.addChild(QStringLiteral("option"), config.option);
        root.addChild(QStringLiteral("host"), config.host);
        root.addChild(QStringLiteral("port"), config.port);
        root.addChild(QStringLiteral("user"), config.user);
        root.addChild(QStringLiteral("password"), config.password);
    }
    return root.writeToFile(netConfPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void applyProxy(QNetworkAccessManager *manager, const ProxyConfigSptr &config)
{
    std::optional<QNetworkProxy> chosen;
    if (config->option == ProxyConfig::SystemProxy) {
        const QList<QNetworkProxy> proxies = QNetworkProxyFactory::systemProxyForQuery(
                QNetworkProxyQuery(QUrl(serviceUrl()), QNetworkProxyQuery::UrlRequest));
        if (!proxies.isEmpty() && proxies.first().type() != QNetworkProxy::NoProxy) {
            chosen = proxies.first();
            logInfo(QStringLiteral("Automatically detected proxy: %1:%2").arg(proxies.first().hostName()).arg(proxies.first().port()));
        }
    } else if (config->option == ProxyConfig::ManualProxy) {
        QNetworkProxy proxy(QNetworkProxy::HttpProxy, config->host);
        if (config->port > 0)
            proxy.setPort(quint16(config->port));
        if (!config->user.isEmpty())
            proxy.setUser(config->user);
        if (!config->password.isEmpty())
            proxy.setPassword(config->password);
        chosen = proxy;
    }
    if (!chosen) {
        if (config->option == ProxyConfig::NoProxy)
            QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::NoProxy));
        return;
    }
    manager->setProxy(*chosen);
    // The embedded service pages go through the application's proxy: set before the
    // first page is made, since the web engine reads it then.
    QNetworkProxy::setApplicationProxy(*chosen);
}
