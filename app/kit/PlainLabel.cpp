#include "app/kit/PlainLabel.h"

#include <QLabel>

namespace korvane {

QLabel* plainLabel(const QString& text) {
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    return label;
}

}  // namespace korvane
