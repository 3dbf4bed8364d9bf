#pragma once

// An HTTP client of pointora-cloud for the tests: one request per call, its answer unpacked from
// the envelope.

#include <httplib.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <string>

struct Answer {
    int status = 0;  // HTTP status, 0 when the connection failed
    int code = -100;
    QString msg;
    QJsonObject data;
    std::string authorization;
    std::string allow;
    bool cors = false;  // an Access-Control-* header came back
};

inline std::string compact(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

inline Answer toAnswer(const httplib::Result& result) {
    Answer answer;
    if (!result)
        return answer;
    answer.status = result->status;
    answer.authorization = result->get_header_value("Authorization");
    answer.allow = result->get_header_value("Allow");
    for (const auto& [name, value] : result->headers) {
        if (QString::fromStdString(name).startsWith("access-control-", Qt::CaseInsensitive))
            answer.cors = true;
    }
    const QJsonObject envelope =
        QJsonDocument::fromJson(QByteArray::fromStdString(result->body)).object();
    answer.code = envelope.value("code").toInt(-100);
    answer.msg = envelope.value("msg").toString();
    answer.data = envelope.value("data").toObject();
    return answer;
}

class Client {
public:
    explicit Client(int port) : m_client("127.0.0.1", port) {
        m_client.set_read_timeout(10, 0);
        m_client.set_connection_timeout(5, 0);
    }

    Answer raw(const std::string& path, const std::string& body,
               const std::string& token = std::string(), const std::string& lang = "en") {
        httplib::Headers headers{{"lang", lang}};
        if (!token.empty())
            headers.emplace("Authorization", token);
        return toAnswer(m_client.Post(path.c_str(), headers, body, "application/json"));
    }
    // A POST with its own Content-Type and extra headers (a Host header replaces the default).
    Answer send(const std::string& path, const std::string& body, const std::string& contentType,
                const httplib::Headers& headers = {}) {
        httplib::Headers all = headers;
        all.emplace("lang", "en");
        return toAnswer(m_client.Post(path.c_str(), all, body, contentType.c_str()));
    }
    Answer post(const std::string& path, const QJsonObject& body,
                const std::string& token = std::string(), const std::string& lang = "en") {
        return raw(path, compact(body), token, lang);
    }

    Answer registerUser(const QString& email, const QString& password,
                        const QString& nickname = "nick") {
        return post("/v1/user/register", {{"nickname", nickname},
                                          {"email", email},
                                          {"password", password},
                                          {"rePassword", password}});
    }
    Answer login(const QString& email, const QString& password) {
        return post("/v1/user/login", {{"email", email}, {"password", password}});
    }
    Answer save(const std::string& token, const QString& type, const QString& content) {
        return post("/v1/driver/config2/save",
                    {{"filePath", ""}, {"configContent", content}, {"configType", type}}, token);
    }
    Answer get(const std::string& token, const QString& type) {
        return post("/v1/driver/config2/get", {{"configType", type}}, token);
    }
    Answer find(const QString& email, const std::string& lang = "en") {
        return post("/v1/user/findPassword", {{"email", email}}, std::string(), lang);
    }
    Answer validate(const QString& email, const QString& code) {
        return post("/v1/user/validatePassword", {{"email", email}, {"captcha", code}});
    }
    Answer reset(const QString& email, const QString& code, const QString& password) {
        return post("/v1/user/newPassword",
                    {{"email", email}, {"captcha", code}, {"password", password}});
    }

    httplib::Client& http() { return m_client; }

private:
    httplib::Client m_client;
};
