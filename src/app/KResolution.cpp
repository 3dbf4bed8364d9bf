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

const QChar ELLIPSIS(0x2026);

// How str wraps at width: the text of each line.
QStringList wrappedLines(const QString& str, const QFont& font, int width) {
    QTextLayout layout(str, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setUseDesignMetrics(true);
    layout.setTextOption(option);
    layout.beginLayout();
    QStringList lines;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines << str.mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    return lines;
}

// A prefix of str no longer than count characters that does not end inside a surrogate pair.
QString safeLeft(const QString& str, int count) {
    if (count > 0 && count < str.size() && str.at(count - 1).isHighSurrogate())
        --count;
    return str.left(count);
}

QString safeRight(const QString& str, int count) {
    if (count > 0 && count < str.size() && str.at(str.size() - count).isLowSurrogate())
        --count;
    return str.right(count);
}

// The longest count in [0, size] for which fits(count) holds (fits is monotonic, fits(0) holds).
template <typename Fits>
int longestFitting(int size, Fits fits) {
    int low = 0, high = size;
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        if (fits(middle))
            low = middle;
        else
            high = middle - 1;
    }
    return low;
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

QString KResolution::elidedText(QString str, int pointSize, QString fontName, int width,
                                int maxLines) {
    // One line, cut with the ellipsis unless it fits (or always, when more text follows it).
    const auto elideLine = [&](const QString& line, bool more) {
        if (!more && layoutWidth(line, pointSize, fontName) <= width)
            return line;
        const int count = longestFitting(line.size(), [&](int n) {
            return layoutWidth(safeLeft(line, n).trimmed() + ELLIPSIS, pointSize, fontName) <=
                   width;
        });
        // Not even the ellipsis fits: nothing shows.
        if (count == 0 && layoutWidth(QString(ELLIPSIS), pointSize, fontName) > width)
            return QString();
        return safeLeft(line, count).trimmed() + ELLIPSIS;
    };
    if (maxLines <= 1)
        return elideLine(str, false);
    const QStringList lines = wrappedLines(str, makeFont(pointSize, fontName), width);
    if (lines.size() <= maxLines)
        return str;
    // The first lines as they wrap, the last one cut.
    QStringList kept = lines.mid(0, maxLines - 1);
    for (QString& line : kept)
        line = line.trimmed();
    kept << elideLine(lines.mid(maxLines - 1).join(QString()).trimmed(), true);
    return kept.join('\n');
}

QString KResolution::elidedTextMiddle(QString str, int pointSize, QString fontName, int width) {
    const auto fits = [&](const QString& text) {
        return layoutWidth(text, pointSize, fontName) <= width;
    };
    if (fits(str))
        return str;
    // As many characters as fit, a little more from the end (a path's file name) than the start.
    const int count = longestFitting(str.size(), [&](int n) {
        return fits(safeLeft(str, n / 2) + ELLIPSIS + safeRight(str, n - n / 2));
    });
    if (count == 0 && !fits(QString(ELLIPSIS)))
        return QString();
    return safeLeft(str, count / 2) + ELLIPSIS + safeRight(str, count - count / 2);
}
