#pragma once

#include <QWidget>

#include "app/presenters/CleanupProgressContent.h"

class QLabel;

namespace korvane {

class ByteHeadline;
class DeveloperState;
class ElidedLabel;
class LinearProgress;
class LinkButton;

// The screen of a running cleanup: what it reclaimed so far, the progress
// over the items, the item in hand, the count and "Stop".
class CleanupProgressView : public QWidget {
    Q_OBJECT
public:
    static constexpr int columnWidth = 300;

    explicit CleanupProgressView(DeveloperState& developer, QWidget* parent = nullptr);

    const CleanupProgressContent& content() const { return content_; }
    ByteHeadline* headline() const { return headline_; }

private:
    void refresh();
    void restyle();

    DeveloperState& developer_;
    CleanupProgressContent content_;
    ByteHeadline* headline_;
    QLabel* reclaimed_;
    LinearProgress* progress_;
    ElidedLabel* current_;
    QLabel* count_;
    LinkButton* stop_;
};

}  // namespace korvane
