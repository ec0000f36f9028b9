#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace korvane {

// How wide a text is drawn; the rules below measure with it.
using TextWidth = std::function<double(const QString&)>;

// The one rule for a label in a shape that may be too small for it: the
// whole text when it fits; else the text cut at its end, while at least
// four of its characters and the ellipsis fit; else nothing (the hover card
// and the tooltip carry the whole name). A name cut anywhere else ("an…30",
// "Ap…ns") reads as some other name. A count in words ("21 smaller items")
// drops whole words instead ("21 smaller", "21").
QString fittedLabel(const QString& text, double width, const TextWidth& widthOf);

// A text of parts joined by `separator` ("Android · 2 items") whose last
// part says the most (a count): the parts before it give way first, those
// after the first dropping whole and the first cut by the rule above; then
// the last alone, fitted by the same rule.
QString fittedParts(const QStringList& parts, const QString& separator, double width,
                    const TextWidth& widthOf);

// A name on at most `maxLines` lines of `width`, broken only where a name
// breaks: after a "/" in a path (never inside a folder's name), elsewhere at
// a space or after a hyphen or underscore. The last line takes what is left,
// fitted by fittedLabel; when nothing of it would show, the whole name is
// fitted on one line instead.
QStringList fittedLines(const QString& text, double width, int maxLines, const TextWidth& widthOf);

// The whole of a name or path on lines of `width`, broken where it breaks
// (as above, a piece wider than a line between its characters); when that
// takes more than `maxLines` lines it is cut in its middle, keeping its start
// and its end (a path's file name), until it fits.
QStringList middleCutLines(const QString& text, double width, int maxLines, const TextWidth& widthOf);

}  // namespace korvane
