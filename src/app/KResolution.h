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
    // str as a label of that font shows it in width pixels and at most maxLines lines (wrapped at
    // word boundaries, or anywhere in a word too long for a line): unchanged when it fits, else
    // cut and ended with "…". Qt Quick's own eliding leaves the ellipsis out when the font
    // lacks that glyph (the application font does), cutting the text silently.
    Q_INVOKABLE QString elidedText(QString str, int pointSize, QString fontName, int width,
                                   int maxLines = 1);
    // The same on one line with the middle left out (for paths).
    Q_INVOKABLE QString elidedTextMiddle(QString str, int pointSize, QString fontName, int width);

private:
    float scale = 1.0f;
};
