#include "app/presenters/LabelFit.h"

#include <QTextBoundaryFinder>
#include <vector>

namespace korvane {

namespace {

constexpr qsizetype minimumKept = 4;
const QString ellipsis = QStringLiteral("\u2026");

// Where each character of `text` ends, as a reader counts characters (a
// letter with its accents, a pair of surrogates): never cut between them.
std::vector<qsizetype> characterEnds(const QString& text) {
    std::vector<qsizetype> ends;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    for (qsizetype at = finder.toNextBoundary(); at > 0; at = finder.toNextBoundary()) ends.push_back(at);
    return ends;
}

QString trimmedEnd(const QString& text) {
    qsizetype end = text.size();
    while (end > 0 && text[end - 1].isSpace()) --end;
    return text.left(end);
}

// The largest n in [low, high] for which `fits(n)` holds, given that it
// holds for every n below one that does; `low - 1` when none does.
template <class Fits>
qsizetype largestFitting(qsizetype low, qsizetype high, const Fits& fits) {
    qsizetype best = low - 1;
    while (low <= high) {
        const qsizetype middle = low + (high - low) / 2;
        if (fits(middle)) {
            best = middle;
            low = middle + 1;
        } else {
            high = middle - 1;
        }
    }
    return best;
}

// The text in pieces, each ending where a line may break after it.
QStringList pieces(const QString& text) {
    const bool path = text.contains(QLatin1Char('/'));
    QStringList result;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool next = i + 1 < text.size();
        bool breaks = false;
        if (path)
            breaks = c == QLatin1Char('/');
        else if (c.isSpace())
            breaks = !(next && text[i + 1].isSpace());  // after the whole run of spaces
        else
            breaks = i > 0 && (c == QLatin1Char('-') || c == QLatin1Char('_'));
        if (breaks && next) {
            result << text.mid(start, i + 1 - start);
            start = i + 1;
        }
    }
    if (start < text.size()) result << text.mid(start);
    return result;
}

QString joined(const QStringList& parts, qsizetype from) {
    QString text;
    for (qsizetype i = from; i < parts.size(); ++i) text += parts[i];
    return text.trimmed();
}

// Every line of the whole text: pieces while they fit, a piece wider than
// a line broken between its characters.
QStringList brokenLines(const QString& text, double width, const TextWidth& widthOf) {
    QStringList lines;
    QString current;
    for (QString piece : pieces(text)) {
        if (widthOf((current + piece).trimmed()) <= width) {
            current += piece;
            continue;
        }
        if (!current.trimmed().isEmpty()) lines << current.trimmed();
        current.clear();
        piece = piece.trimmed().isEmpty() ? QString() : piece;
        while (!piece.isEmpty() && widthOf(piece.trimmed()) > width) {
            const std::vector<qsizetype> ends = characterEnds(piece);
            const qsizetype count = largestFitting(1, static_cast<qsizetype>(ends.size()), [&](qsizetype n) {
                return widthOf(piece.left(ends[n - 1])) <= width;
            });
            // At least one character a line, however narrow.
            const qsizetype end = ends[std::max<qsizetype>(count, 1) - 1];
            if (!piece.left(end).trimmed().isEmpty()) lines << piece.left(end).trimmed();
            piece = piece.mid(end);
        }
        current = piece;
    }
    if (!current.trimmed().isEmpty()) lines << current.trimmed();
    return lines;
}

// "21 smaller items", "12 photos": a count and plain words.
bool isCountText(const QStringList& words) {
    if (words.size() < 2 || !words.front().front().isDigit()) return false;
    for (const QChar c : words.front())
        if (!c.isDigit() && c != QLatin1Char(',')) return false;
    for (qsizetype i = 1; i < words.size(); ++i)
        for (const QChar c : words[i])
            if (!c.isLetter()) return false;
    return true;
}

}  // namespace

QString fittedLabel(const QString& text, double width, const TextWidth& widthOf) {
    if (text.isEmpty() || width <= 0) return {};
    if (widthOf(text) <= width) return text;
    // A count loses whole words ("21 smaller", "21"): "21 sm…" says nothing.
    if (const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts); isCountText(words)) {
        for (qsizetype count = words.size() - 1; count >= 1; --count)
            if (const QString shown = words.mid(0, count).join(QLatin1Char(' ')); widthOf(shown) <= width)
                return shown;
        return {};
    }
    const std::vector<qsizetype> ends = characterEnds(text);
    const auto cut = [&](qsizetype kept) { return trimmedEnd(text.left(ends[kept - 1])); };
    const qsizetype kept = largestFitting(minimumKept, static_cast<qsizetype>(ends.size()) - 1,
                                          [&](qsizetype n) { return widthOf(cut(n) + ellipsis) <= width; });
    if (kept < minimumKept) return {};
    const QString shown = cut(kept);
    // Spaces do not count as characters kept.
    qsizetype letters = 0, start = 0;
    for (const qsizetype end : characterEnds(shown)) {
        if (!shown.mid(start, end - start).trimmed().isEmpty()) ++letters;
        start = end;
    }
    if (letters < minimumKept) return {};
    return shown + ellipsis;
}

QString fittedParts(const QStringList& parts, const QString& separator, double width,
                    const TextWidth& widthOf) {
    if (parts.isEmpty()) return {};
    const QString last = separator + parts.back();
    for (qsizetype count = parts.size() - 1; count >= 1; --count) {
        const QString text = parts.mid(0, count).join(separator) + last;
        if (widthOf(text) <= width) return text;
    }
    if (parts.size() > 1) {
        const QString first = fittedLabel(parts.front(), width - widthOf(last), widthOf);
        if (!first.isEmpty()) return first + last;
    }
    return fittedLabel(parts.back(), width, widthOf);
}

QStringList fittedLines(const QString& text, double width, int maxLines, const TextWidth& widthOf) {
    const auto oneLine = [&] {
        const QString line = fittedLabel(text.trimmed(), width, widthOf);
        return line.isEmpty() ? QStringList() : QStringList{line};
    };
    if (maxLines <= 1) return oneLine();
    const QStringList parts = pieces(text.trimmed());
    QStringList lines;
    qsizetype next = 0;
    while (next < parts.size() && lines.size() < maxLines - 1) {
        QString line;
        qsizetype taken = 0;
        while (next + taken < parts.size() && widthOf((line + parts[next + taken]).trimmed()) <= width)
            line += parts[next + taken++];
        // A piece too wide for a line of its own goes to the last line.
        if (taken == 0) break;
        lines << line.trimmed();
        next += taken;
    }
    if (next < parts.size()) {
        const QString last = fittedLabel(joined(parts, next), width, widthOf);
        if (last.isEmpty()) return oneLine();
        lines << last;
    }
    return lines;
}

QStringList middleCutLines(const QString& text, double width, int maxLines, const TextWidth& widthOf) {
    QStringList lines = brokenLines(text, width, widthOf);
    if (lines.size() <= maxLines) return lines;
    const std::vector<qsizetype> ends = characterEnds(text);
    const auto total = static_cast<qsizetype>(ends.size());
    const auto cut = [&](qsizetype kept) {
        const qsizetype front = (kept + 1) / 2, back = kept / 2;
        return text.left(front > 0 ? ends[front - 1] : 0) + ellipsis +
               text.mid(back > 0 ? ends[total - back - 1] : text.size());
    };
    const qsizetype kept = largestFitting(
        0, total - 1, [&](qsizetype n) { return brokenLines(cut(n), width, widthOf).size() <= maxLines; });
    return brokenLines(cut(std::max<qsizetype>(kept, 0)), width, widthOf);
}

}  // namespace korvane
