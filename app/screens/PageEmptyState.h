#pragma once

#include "app/kit/EmptyStateView.h"
#include "app/presenters/EmptyStateText.h"

namespace korvane {

// The empty state of the general pages: a 26-point symbol in the faint ink,
// a 14-point title and a message that wraps within 340 points.
EmptyStateView* makePageEmptyState();
void showPageEmptyState(EmptyStateView& view, const EmptyStateText& text);

}  // namespace korvane
