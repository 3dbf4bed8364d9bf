#pragma once

#include <QObject>

// Text measurement and length scaling for the QML pages (published as "KLocator").
class KResolution : public QObject {
    Q_OBJECT
public:
    static constexpr const char* DEFAULT_FAMILY = "Microsoft YaHei";
    static constexpr int DEFAULT_POINT_SIZE = 14;

    explicit KResolution(QObject* parent = nullptr);

    Q_INVOKABLE int getScaleLength(int length);
    Q_INVOKABLE int getStringWidget(QString str, int pointSize, QString fontName);
    Q_INVOKABLE int getStringWidget(QString str, int pointSize);
    Q_INVOKABLE int getStringWidget(QString str);
    Q_INVOKABLE int getStringHeight(QString str, int pointSize, QString fontName);
    Q_INVOKABLE int getStringHeight(QString str, int pointSize);
    Q_INVOKABLE int getStringHeight(QString str);

private:
    float scale = 1.0f;
};
