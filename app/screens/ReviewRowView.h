#pragma once

#include <QWidget>

#include "app/presenters/ReviewContent.h"

namespace korvane {

class LinkButton;

// One candidate of the review list: safety, what and where, how it goes
// and comes back, its size and a way to leave it out.
class ReviewRowView : public QWidget {
    Q_OBJECT
public:
    explicit ReviewRowView(const ReviewRow& row, QWidget* parent = nullptr);

    LinkButton* removeButton() const { return remove_; }

signals:
    void removeRequested(const UUID& id);

private:
    LinkButton* remove_;
};

}  // namespace korvane
