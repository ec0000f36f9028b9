#pragma once

#include <QString>

class QWidget;

namespace korvane {

// A tooltip that is shown and not read out. Qt reads a widget's tooltip as
// its accessible description while it has none of its own, so a tooltip that
// repeats the name would be heard twice, and one marked up so that it wraps
// would be heard with its markup. This one is plain text shown as itself,
// wrapping, its line breaks kept; an empty text shows none.
void setShownToolTip(QWidget& widget, const QString& text);
QString shownToolTip(const QWidget& widget);

// Plain text as a tooltip shows it: marked up so that it wraps, never read as markup.
QString wrappingToolTipText(const QString& text);

}  // namespace korvane
