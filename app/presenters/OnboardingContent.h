#pragma once

#include <array>
#include <string>
#include <vector>

namespace korvane {

// One of the two ways in, as a large card.
struct OnboardingChoice {
    enum class Action { scanHomeFolder, scanDeveloperLeftovers };

    std::string symbol;
    std::string title;
    std::string description;
    std::vector<std::string> tags;
    Action action = Action::scanHomeFolder;

    friend bool operator==(const OnboardingChoice&, const OnboardingChoice&) = default;
};

// The first screen's texts and its two choices, left to right.
struct OnboardingContent {
    std::string symbol;
    std::string heading;
    std::string introduction;  // two lines
    std::array<OnboardingChoice, 2> choices;
    std::string reassuranceSymbol;
    std::string reassurance;
};

const OnboardingContent& onboardingContent();

}  // namespace korvane
