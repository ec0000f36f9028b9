#pragma once

#include <QString>

class QLabel;

namespace korvane {

// A label that shows its text as it is: file names and other outside texts
// must never be read as markup.
QLabel* plainLabel(const QString& text = {});

}  // namespace korvane
