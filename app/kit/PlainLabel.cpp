#include "app/kit/PlainLabel.h"

#include <QLabel>

namespace korvane {

QLabel* plainLabel(const QString& text) {
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel* plainLabel(const QString& text, Qt::Alignment alignment) {
    QLabel* label = plainLabel(text);
    label->setAlignment(alignment);
    return label;
}

}  // namespace korvane
