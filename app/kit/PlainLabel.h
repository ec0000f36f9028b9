#pragma once

#include <QString>
#include <Qt>

class QLabel;

namespace korvane {

// A label that shows its text as it is: file names and other outside texts
// must never be read as markup.
QLabel* plainLabel(const QString& text = {});
// The same, centred (or otherwise aligned) in its space.
QLabel* plainLabel(const QString& text, Qt::Alignment alignment);

}  // namespace korvane
