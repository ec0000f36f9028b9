#pragma once

#include <QWidget>

#include "app/presenters/ScanningContent.h"

class QLabel;
class QVBoxLayout;

namespace korvane {

class AppState;
class ByteHeadline;
class LinearProgress;
class LinkButton;

// The screen of a running developer scan: what the finished categories
// found so far, the progress, the phase and a row per finished category.
class ScanningView : public QWidget {
    Q_OBJECT
public:
    explicit ScanningView(AppState& state, QWidget* parent = nullptr);

    const ScanningContent& content() const { return content_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void refresh();
    void restyle();
    void rebuildRows();

    AppState& state_;
    ScanningContent content_;
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
