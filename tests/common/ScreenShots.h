#pragma once

// The common part of the screenshot harnesses: their arguments ("OUTPUT_DIR zh|en"), and the
// loop that lets a QML object prepare each state of its list mShots (its function prepare(name)
// returns the milliseconds to settle) and saves a PNG of the window for each.

#include <QDir>
#include <QEventLoop>
#include <QQuickWindow>
#include <QStringList>
#include <QTimer>
#include <QVariant>

#include <cstdio>

inline void settle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// False (with the usage or the problem printed) unless the arguments are OUTPUT_DIR and zh or en
// and the directory exists or could be made.
inline bool shotArguments(const QStringList& args, QString* outDir, QString* language) {
    if (args.size() != 3 || (args[2] != "zh" && args[2] != "en")) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR zh|en\n",
                     qPrintable(QFileInfo(args.value(0)).fileName()));
        return false;
    }
    *outDir = args[1];
    *language = args[2];
    if (!QDir().mkpath(*outDir)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(*outDir));
        return false;
    }
    return true;
}

// Saves OUTPUT_DIR/<prefix><state>.png for every state; returns how many could not be written.
inline int photograph(QQuickWindow* window, QObject* preparer, const QString& outDir,
                      const QString& prefix) {
    int failures = 0;
    const QStringList shots = preparer->property("mShots").toStringList();
    for (const QString& shot : shots) {
        QVariant wait;
        QMetaObject::invokeMethod(preparer, "prepare", Q_RETURN_ARG(QVariant, wait),
                                  Q_ARG(QVariant, shot));
        settle(wait.toInt());
        const QString file = outDir + "/" + prefix + shot + ".png";
        if (!window->grabWindow().save(file)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            ++failures;
        } else {
            std::printf("%s\n", qPrintable(file));
        }
    }
    return failures;
}
