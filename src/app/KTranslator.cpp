#include "app/KTranslator.h"

#include "config/KConfigCommon.h"

KTranslator::KTranslator(QObject* parent)
    : KTranslator(KConfigCommon::instance()->getLanguage() == QLatin1String("zh")
                      ? QLocale::Chinese
                      : QLocale::English,
                  parent) {}

KTranslator::KTranslator(QLocale::Language language, QObject* parent)
    : QObject(parent), language(language) {}

QString KTranslator::getPngUrl(QString pngUrl) {
    const int at = pngUrl.indexOf(QLatin1String(".png"));
    if (at < 0)
        return pngUrl;
    const QString suffix = language == QLocale::English ? QStringLiteral("_en") : QString();
    return pngUrl.left(at) + suffix + QStringLiteral(".png");
}

void KTranslator::setLanguage(QLocale::Language lan) {
    language = lan;
}

QLocale::Language KTranslator::getLanguage() {
    return language;
}
