#pragma once

#include <QString>
#include <QUrl>

// Where the cloud service lives. Both values come from the environment so that a machine without
// internet access still reaches a service on loopback:
//   POINTORA_SERVICE_URL   base address of the service (default http://127.0.0.1:8732)
//   POINTORA_ONLINE_HOST   host whose name look-up decides "online" (default: the service's host)
namespace KServiceConfig {

constexpr const char* DEFAULT_SERVICE_URL = "http://127.0.0.1:8732";

QUrl serviceUrl();
QString onlineHost();
// The full address of an endpoint path such as "/api/user/login", joined without doubling "/".
QUrl endpoint(const QString& path);

}  // namespace KServiceConfig
