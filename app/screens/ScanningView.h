#pragma once

#include <QWidget>
#include <vector>

#include "app/presenters/ScanningContent.h"

class QLabel;
class QVBoxLayout;

namespace korvane {

class ByteHeadline;
class DeveloperState;
class LinearProgress;
class LinkButton;
class SlideReveal;

// The screen of a running developer scan: what the finished categories
// found so far, the progress, the phase and a row per finished category.
class ScanningView : public QWidget {
    Q_OBJECT
public:
    explicit ScanningView(DeveloperState& developer, QWidget* parent = nullptr);

    const ScanningContent& content() const { return content_; }
    ByteHeadline* headline() const { return headline_; }
    // One holder per finished row, in order; each slides its row in (rows
    // sliding out are not counted).
    std::vector<SlideReveal*> rowSlots() const;

private:
    void refresh();
    void restyle();
    // A new theme builds every row again, at once.
    void rebuildRows(bool restyled = false);
    QWidget* makeRow(const ScanningRow& entry) const;

    DeveloperState& developer_;
    ScanningContent content_;
    std::vector<ScanningRow> shownRows_;  // what each holder's "row" property indexes
    QLabel* heading_;
    ByteHeadline* headline_;
    QLabel* foundSoFar_;
    LinearProgress* progress_;
    QLabel* phase_;
    QWidget* rows_;
    QVBoxLayout* rowsLayout_;
    LinkButton* cancel_;
};

}  // namespace korvane
