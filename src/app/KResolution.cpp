#include "app/KResolution.h"

#include <QFont>
#include <QFontMetrics>
#include <QTextLayout>
#include <QtMath>

namespace {

QFont makeFont(int pointSize, const QString& family) {
    QFont font;
    font.setFamily(family);  // a missing family is substituted by the font system
    if (pointSize > 0)
        font.setPointSize(pointSize);
    return font;
}

QRect boundingRect(const QString& text, int pointSize, const QString& family) {
    return QFontMetrics(makeFont(pointSize, family)).boundingRect(text);
}

// The width a Qt Quick Text needs for text on one line: it lays out with design metrics
// (unhinted advances), which can be wider than the hinted screen metrics; a box made from the
// hinted width cuts the last glyph.
int layoutWidth(const QString& text, int pointSize, const QString& family) {
    if (text.isEmpty())
        return 0;
    QTextLayout layout(text, makeFont(pointSize, family));
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setUseDesignMetrics(true);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e6);
    layout.endLayout();
    return qCeil(line.naturalTextWidth());
}

}  // namespace

KResolution::KResolution(QObject* parent) : QObject(parent) {}

int KResolution::getScaleLength(int length) {
    return int(float(length) * scale);
}

int KResolution::getStringWidget(QString str, int pointSize, QString fontName) {
    return qMax(boundingRect(str, pointSize, fontName).width(),
                layoutWidth(str, pointSize, fontName));
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
