#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/platform/Notifier.h"

namespace korvane::testing {

// Records what would have been shown.
class FakeNotifier final : public Notifier {
public:
    bool available = true;
    std::vector<std::pair<std::string, std::string>> posted;

    bool canPost() const override { return available; }
    void post(const std::string& title, const std::string& body) override {
        posted.emplace_back(title, body);
    }
    void setOpenHandler(std::function<void()> handler) override { opened = std::move(handler); }
    // The user clicks a notification.
    void click() const {
        if (opened) opened();
    }
    std::function<void()> opened;
};

}  // namespace korvane::testing
