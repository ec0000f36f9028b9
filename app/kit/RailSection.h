#pragma once

#include <optional>

#include <QWidget>

class QLabel;

namespace korvane {

class ElidedLabel;

// A titled section of a side rail: the title in small capitals, an optional
// note at the right end of the header, and the content below.
class RailSection : public QWidget {
    Q_OBJECT
public:
    RailSection(const QString& title, std::optional<QString> trailing, QWidget* content,
                QWidget* parent = nullptr);

    void setTrailing(const QString& trailing);

private:
    void restyle();

    ElidedLabel* title_;
    QLabel* trailing_ = nullptr;
};

}  // namespace korvane
