#pragma once

#include <QWidget>

#include "core/model/Categories.h"

class QLabel;

namespace korvane {

class SymbolView;

// A safety level as a small tinted capsule with its symbol and title.
class SafetyTag : public QWidget {
    Q_OBJECT
public:
    explicit SafetyTag(SafetyLevel safety, QWidget* parent = nullptr);

    void setSafety(SafetyLevel safety);
    SafetyLevel safety() const { return safety_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void restyle();

    SafetyLevel safety_;
    SymbolView* symbol_;
    QLabel* title_;
};

}  // namespace korvane
