#include <gtest/gtest.h>

#include <QSignalSpy>
#include <csignal>

#include "app/platform/TerminationSignals_linux.h"
#include "tests/app/state/AppStateHarness.h"

namespace korvane {
namespace {

TEST(TerminationSignals, ATerminationSignalArrivesOnTheProgramsThreadInsteadOfEndingIt) {
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        TerminationSignals termination;
        QSignalSpy received(&termination, &TerminationSignals::received);
        ASSERT_EQ(::raise(signal), 0);
        EXPECT_TRUE(testing::waitUntil([&] { return received.count() == 1; })) << signal;
    }
}

}  // namespace
}  // namespace korvane
