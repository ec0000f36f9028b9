#include "app/presenters/OnboardingContent.h"

#include "app/state/PlatformWords.h"

namespace korvane {

const OnboardingContent& onboardingContent() {
    using Action = OnboardingChoice::Action;
    static const OnboardingContent content{
        "internaldrive",
        "Where did your storage go?",
        "Korvane shows you what is taking up room, how old it is,\nand exactly what is safe to remove.",
        {OnboardingChoice{"house",
                          std::string(platformWords::cleanWholeComputer),
                          "Downloads, archives, media, applications and everything else in your Home folder.",
                          {"Large files", "Applications", "Everything else"},
                          Action::scanHomeFolder},
         OnboardingChoice{"hammer",
                          "Clean developer leftovers",
                          "Caches, build output, images and SDKs your tools left behind.",
                          {"Xcode", "Docker", "node_modules"},
                          Action::scanDeveloperLeftovers}},
        "lock.shield",
        std::string(platformWords::filesStayHere),
    };
    return content;
}

}  // namespace korvane
