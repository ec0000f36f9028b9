#pragma once

#include "app/platform/Compositor.h"

namespace korvane::testing {

// Answers the compositor question as the test says, for as long as it lives.
class FakeCompositor final : public Compositor {
public:
    explicit FakeCompositor(bool composited) : composited_(composited) { Compositor::setCurrent(this); }
    ~FakeCompositor() override { Compositor::setCurrent(nullptr); }
    FakeCompositor(const FakeCompositor&) = delete;
    FakeCompositor& operator=(const FakeCompositor&) = delete;

    bool isComposited() const override { return composited_; }

private:
    bool composited_;
};

}  // namespace korvane::testing
