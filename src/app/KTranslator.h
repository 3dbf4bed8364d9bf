#pragma once

#include <QLocale>
#include <QObject>

// The interface language as the QML pages see it, and the language-specific variant of a picture:
// "name.png" in Chinese, "name_en.png" in English.
class KTranslator : public QObject {
    Q_OBJECT
public:
    // Chinese when the stored language is exactly "zh", otherwise English.
    explicit KTranslator(QObject* parent = nullptr);
    KTranslator(QLocale::Language language, QObject* parent);

    Q_INVOKABLE QString getPngUrl(QString pngUrl);
    Q_INVOKABLE void setLanguage(QLocale::Language lan);
    Q_INVOKABLE QLocale::Language getLanguage();

private:
    QLocale::Language language;
};
