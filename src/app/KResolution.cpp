#include "app/KResolution.h"

#include <QFont>
#include <QFontMetrics>

namespace {

QRect boundingRect(const QString& text, int pointSize, const QString& family) {
    QFont font;
    font.setFamily(family);  // a missing family is substituted by the font system
    if (pointSize > 0)
        font.setPointSize(pointSize);
    return QFontMetrics(font).boundingRect(text);
}

}  // namespace

KResolution::KResolution(QObject* parent) : QObject(parent) {}

int KResolution::getScaleLength(int length) {
    return int(float(length) * scale);
}

int KResolution::getStringWidget(QString str, int pointSize, QString fontName) {
    return boundingRect(str, pointSize, fontName).width();
}

int KResolution::getStringWidget(QString str, int pointSize) {
    return getStringWidget(str, pointSize, QString::fromLatin1(DEFAULT_FAMILY));
}

int KResolution::getStringWidget(QString str) {
    return getStringWidget(str, DEFAULT_POINT_SIZE);
}

int KResolution::getStringHeight(QString str, int pointSize, QString fontName) {
    return boundingRect(str, pointSize, fontName).height();
}

int KResolution::getStringHeight(QString str, int pointSize) {
    return getStringHeight(str, pointSize, QString::fromLatin1(DEFAULT_FAMILY));
}

int KResolution::getStringHeight(QString str) {
    return getStringHeight(str, DEFAULT_POINT_SIZE);
}
