#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <limits>

#include "core/scanners/DockerScanner.h"
#include "core/scanners/ScanContext.h"
#include "tests/scanners/FakeToolHome.h"

namespace korvane {
namespace {

using testing::duBytes;
using testing::FakeToolHome;

const char* usageJSON = R"({
  "Images": [
    {"Containers": "0", "UniqueSize": "1.5GB", "Repository": "<none>", "Tag": "<none>"},
    {"Containers": "0", "UniqueSize": "100MB", "Repository": "<none>", "Tag": "v2"},
    {"Containers": "0", "UniqueSize": "50MB", "Repository": "app", "Tag": "<none>"},
    {"Containers": "2", "UniqueSize": "9GB", "Repository": "<none>", "Tag": "<none>"},
    {"Containers": "1", "UniqueSize": "9GB", "Repository": "db", "Tag": "15"},
    {"Containers": "0", "UniqueSize": "1GB", "Repository": "a", "Tag": "1"},
    {"Containers": "0", "UniqueSize": "1GB", "Repository": "b", "Tag": "1"},
    {"Containers": "0", "UniqueSize": "1GB", "Repository": "c", "Tag": "1"},
    {"Containers": "0", "UniqueSize": "1GB", "Repository": "d", "Tag": "1"},
    {"Containers": "0", "UniqueSize": "1GB", "Repository": "e", "Tag": "1"},
    {"Containers": "0", "UniqueSize": "1GB", "Repository": "f", "Tag": "1"},
    {"Containers": 0, "UniqueSize": "1GB", "Repository": "g", "Tag": "1"}
  ],
  "Containers": [
    {"State": "Running", "Size": "5GB"},
    {"State": "exited", "Size": "10MB"},
    {"State": "created", "Size": "0B"},
    {"Size": "2kB"}
  ],
  "Volumes": [
    {"Links": "1", "Size": "3GB", "Name": "used"},
    {"Links": "0", "Size": "200MB", "Name": "pg-data"},
    {"Links": "abc", "Size": "1MB", "Name": "odd"},
    {"Size": "1MB", "Name": 5}
  ],
  "BuildCache": [
    {"Size": "300MB", "InUse": true, "Shared": false},
    {"Size": "200MB", "InUse": "TRUE"},
    {"Size": "100MB", "Shared": "true"},
    {"Size": "40MB", "InUse": false, "Shared": "no"},
    {"Size": "2MB", "InUse": 1}
  ]
})";

class DockerScannerTest : public ::testing::Test {
protected:
    // A docker stand-in: `info` prints `info`, `system df` prints `df` and
    // exits with `dfStatus`. Every run's arguments go to the args file.
    void dockerTool(const std::string& info, const std::string& df, int dfStatus = 0) {
        const auto infoFile = home.tree.text(".local/share/docker-info.out", info);
        const auto dfFile = home.tree.text(".local/share/docker-df.out", df);
        home.tool("docker", "printf '%s\\n' \"$*\" >> '" + home.path(".local/share/docker.args") +
                                "'\ncase \"$1\" in\n  info) /bin/cat '" + infoFile +
                                "' ;;\n  system) /bin/cat '" + dfFile + "'; exit " +
                                std::to_string(dfStatus) + " ;;\nesac");
    }
    std::string dockerRuns() const {
        std::ifstream in(home.path(".local/share/docker.args"));
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        return text;
    }
    void socket() { home.tree.text(".docker/run/docker.sock", ""); }
    static bool systemSocketExists() {
        struct stat st {};
        return ::stat("/var/run/docker.sock", &st) == 0;
    }
    CategoryResult scan(const DockerScanner& scanner = DockerScanner()) {
        auto context = home.context();
        return scanner.scan(*context);
    }

    FakeToolHome home;
};

const std::string notRunning =
    "Docker is not running, so its contents could not be inspected. Start Docker and scan again to "
    "see what "
    "is reclaimable inside it.";
const std::string notFound =
    "The docker command was not found. Install Docker to let Korvane inspect its storage.";

TEST_F(DockerScannerTest, ReadsSizesAsDockerPrintsThem) {
    EXPECT_EQ(DockerScanner::bytes("1.2GB"), 1200000000);
    EXPECT_EQ(DockerScanner::bytes("512MB"), 512000000);
    EXPECT_EQ(DockerScanner::bytes("1.5 kB"), 1500);
    EXPECT_EQ(DockerScanner::bytes("2MiB"), 2097152);
    EXPECT_EQ(DockerScanner::bytes("1TiB"), 1099511627776);
    EXPECT_EQ(DockerScanner::bytes("3t"), 3000000000000);
    EXPECT_EQ(DockerScanner::bytes("12"), 12);
    EXPECT_EQ(DockerScanner::bytes("0B"), 0);
    EXPECT_EQ(DockerScanner::bytes("abc"), 0);
    EXPECT_EQ(DockerScanner::bytes("-5MB"), 0);
    EXPECT_EQ(DockerScanner::bytes("1.2.3GB"), 0);
    EXPECT_EQ(DockerScanner::bytes("3XB"), 3);
    EXPECT_EQ(DockerScanner::bytes(""), 0);
    EXPECT_EQ(DockerScanner::bytes(" \t 4 kB\t "), 4000);
    EXPECT_EQ(DockerScanner::bytes("\u00a02\u00a0MB"), 2000000);  // no-break spaces trim like spaces
    EXPECT_EQ(DockerScanner::bytes("1.5GB\n"), 1);                // a line end is no white space here
    EXPECT_EQ(DockerScanner::bytes(".5kB"), 500);
    EXPECT_EQ(DockerScanner::bytes("\u0661\u0662MB"), 0);  // numerals of another script do not read
    EXPECT_EQ(DockerScanner::bytes("5\u00bdGB"), 0);
    EXPECT_EQ(DockerScanner::bytes("1.9B"), 1);
    EXPECT_EQ(DockerScanner::bytes(std::string(400, '9')), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(DockerScanner::bytes("99999999999TB"), std::numeric_limits<std::int64_t>::max());
}

TEST_F(DockerScannerTest, ReadsCountsStrictly) {
    EXPECT_EQ(DockerScanner::count("0"), 0);
    EXPECT_EQ(DockerScanner::count("12"), 12);
    EXPECT_EQ(DockerScanner::count("+3"), 3);
    EXPECT_EQ(DockerScanner::count("-2"), -2);
    EXPECT_EQ(DockerScanner::count("abc"), 0);
    EXPECT_EQ(DockerScanner::count("1.0"), 0);
    EXPECT_EQ(DockerScanner::count(" 1"), 0);
    EXPECT_EQ(DockerScanner::count("+"), 0);
    EXPECT_EQ(DockerScanner::count(""), 0);
    EXPECT_EQ(DockerScanner::count("9223372036854775807"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(DockerScanner::count("9223372036854775808"), 0);
}

TEST_F(DockerScannerTest, SumsWhatNothingUses) {
    const auto usage = DockerScanner::parseUsage(usageJSON);
    ASSERT_TRUE(usage);
    EXPECT_EQ(usage->danglingImageCount, 3);
    EXPECT_EQ(usage->danglingImageSize, 1650000000);
    EXPECT_EQ(usage->unusedImageCount, 7);
    EXPECT_EQ(usage->unusedImageSize, 7000000000);
    EXPECT_EQ(usage->unusedImageNames,
              (std::vector<std::string>{"a:1", "b:1", "c:1", "d:1", "e:1", "f:1", "g:1"}));
    EXPECT_EQ(usage->stoppedContainerCount, 3);
    EXPECT_EQ(usage->stoppedContainerSize, 10002000);
    EXPECT_EQ(usage->unusedVolumeCount, 3);
    EXPECT_EQ(usage->unusedVolumeSize, 202000000);
    EXPECT_EQ(usage->unusedVolumeNames, (std::vector<std::string>{"pg-data", "odd"}));
    EXPECT_EQ(usage->buildCacheTotal, 642000000);
    EXPECT_EQ(usage->buildCacheReclaimable, 42000000);

    // Members of the wrong shape count as empty; the rest still reads.
    const auto odd = DockerScanner::parseUsage(
        R"({"Images": {"x": 1}, "Containers": [{"State": "exited"}, 3], "Volumes": [{"Name": "v"}], "BuildCache": null})");
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->danglingImageCount, 0);
    EXPECT_EQ(odd->stoppedContainerCount, 0);
    EXPECT_EQ(odd->unusedVolumeCount, 1);
    EXPECT_EQ(odd->unusedVolumeSize, 0);
    EXPECT_EQ(DockerScanner::parseUsage("{}"), DockerScanner::Usage{});

    EXPECT_FALSE(DockerScanner::parseUsage(""));
    EXPECT_FALSE(DockerScanner::parseUsage("[]"));
    EXPECT_FALSE(DockerScanner::parseUsage("{\"Images\": [}"));
    EXPECT_FALSE(DockerScanner::parseUsage("{} {}"));
}

TEST_F(DockerScannerTest, OffersOnePruneCommandPerKindOfLeftover) {
    socket();
    dockerTool("24.0.7\n", usageJSON);
    home.tree.file("Library/Containers/com.docker.docker/Data/log/vm.log", 30000);
    const auto disk =
        home.tree.file("Library/Containers/com.docker.docker/Data/vms/0/data/Docker.raw", 2000000);
    ASSERT_EQ(::truncate(disk.c_str(), 64000000000), 0);  // a sparse disk with a large maximum

    DockerScanner scanner;
    EXPECT_TRUE(scanner.isAvailable());
    const auto result = scan(scanner);
    EXPECT_EQ(result.category, CleanupCategory::docker);
    EXPECT_EQ(result.footprint, duBytes(home.path("Library/Containers/com.docker.docker/Data")));
    EXPECT_EQ(dockerRuns(), "info --format {{.ServerVersion}}\nsystem df -v --format {{json .}}\n");

    ASSERT_EQ(result.candidates.size(), 5u);
    struct Expected {
        std::string rule, group, title;
        std::int64_t size;
        SafetyLevel safety;
        std::vector<std::string> arguments;
        std::string restoreHint;
        CategoryScanner::Details details;
    };
    const std::vector<Expected> expected{
        {"docker.buildCache",
         "Build Cache",
         "Unused build cache",
         42000000,
         SafetyLevel::safe,
         {"builder", "prune", "--force"},
         "Rebuilt on next docker build",
         {{"Cache size", "642 MB"}}},
        {"docker.danglingImages",
         "Dangling Images",
         "3 untagged images",
         1650000000,
         SafetyLevel::safe,
         {"image", "prune", "--force"},
         "Recreated by rebuilding the image",
         {}},
        {"docker.unusedImages",
         "Unused Images",
         "7 images with no container",
         7000000000,
         SafetyLevel::caution,
         {"image", "prune", "--all", "--force"},
         "docker pull, or rebuild from the Dockerfile",
         {{"Includes", "a:1, b:1, c:1, d:1, e:1, f:1"}}},
        {"docker.stoppedContainers",
         "Stopped Containers",
         "3 stopped containers",
         10002000,
         SafetyLevel::caution,
         {"container", "prune", "--force"},
         "docker run recreates them from the image",
         {}},
        {"docker.unusedVolumes",
         "Unused Volumes",
         "3 volumes with no container",
         202000000,
         SafetyLevel::caution,
         {"volume", "prune", "--force"},
         "Cannot be recovered. Back up anything you need first.",
         {{"Includes", "pg-data, odd"}}},
    };
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto& c = result.candidates[i];
        const auto& e = expected[i];
        EXPECT_EQ(c.ruleID, e.rule);
        EXPECT_EQ(c.groupTitle, e.group);
        EXPECT_EQ(c.title, e.title);
        EXPECT_EQ(c.size, e.size) << e.rule;
        EXPECT_EQ(c.safety, e.safety) << e.rule;
        EXPECT_EQ(c.isSelectedByDefault, e.safety == SafetyLevel::safe) << e.rule;
        EXPECT_EQ(c.removal, RemovalKind::command(ExternalTool::docker, e.arguments)) << e.rule;
        EXPECT_EQ(c.path, "/dev/null");
        EXPECT_EQ(c.restoreHint, e.restoreHint);
        EXPECT_EQ(c.details, e.details) << e.rule;
        EXPECT_FALSE(c.lastModified);
        EXPECT_EQ(c.category, CleanupCategory::docker);
    }
    EXPECT_EQ(result.candidates[0].reason,
              "Intermediate layers from earlier `docker build` runs that no current image references. Docker "
              "rebuilds them when needed; the only cost is a slower next build.");
    EXPECT_EQ(
        result.candidates[4].reason,
        "Volumes no container currently mounts. This is where databases keep their data — a local Postgres "
        "you still want will lose everything in it.");
    EXPECT_EQ(result.note,
              "Docker's Linux disk (2 MB used of a 64 GB maximum) only shrinks when Docker Desktop "
              "trims it. Cleaning here frees space inside Docker immediately; this computer may not see it until "
              "Docker compacts the disk image.");
}

TEST_F(DockerScannerTest, SingularTitlesAndEmptyFindings) {
    socket();
    dockerTool("24.0.7", R"({"Images": [{"UniqueSize": "1MB", "Repository": "x", "Tag": "<none>"},
                                        {"UniqueSize": "1MB", "Repository": "app", "Tag": "1"}],
                             "Containers": [{"State": "exited", "Size": "0B"}],
                             "Volumes": [{"Links": "0", "Size": "0B", "Name": "empty"}, {"Size": "5MB"}],
                             "BuildCache": [{"Size": "1GB", "InUse": true}]})");
    const auto result = scan();
    ASSERT_EQ(result.candidates.size(), 4u);
    EXPECT_EQ(result.candidates[0].title, "1 untagged image");
    EXPECT_EQ(result.candidates[1].title, "1 image with no container");
    EXPECT_EQ(result.candidates[2].title, "1 stopped container");  // offered by count, even at 0 bytes
    EXPECT_EQ(result.candidates[2].size, 0);
    EXPECT_EQ(result.candidates[3].title, "2 volumes with no container");
    EXPECT_EQ(result.candidates[3].details.at("Includes"), "empty");
    EXPECT_FALSE(result.note);  // no virtual disk
    // No folder here holds Docker's data (the engine's belongs to root): it holds at least what it offers.
    EXPECT_EQ(result.footprint, 7000000);
}

TEST_F(DockerScannerTest, EmptyNameListsReadAsDashOrNothing) {
    socket();
    dockerTool("24.0.7", R"({"Images": [{"UniqueSize": "1MB", "Repository": 3, "Tag": "1"},
                                        {"UniqueSize": "1MB", "Repository": "r", "Tag": "1"}],
                             "Volumes": [{"Size": "5MB"}]})");
    auto result = scan();
    ASSERT_EQ(result.candidates.size(), 3u);
    // A repository that is not text reads as "<none>": a dangling image.
    EXPECT_EQ(result.candidates[0].ruleID, "docker.danglingImages");
    EXPECT_EQ(result.candidates[1].details.at("Includes"), "r:1");
    EXPECT_EQ(result.candidates[2].details.at("Includes"), "");

    dockerTool("24.0.7", R"({"Images": []})");
    result = scan();
    EXPECT_TRUE(result.candidates.empty());
    EXPECT_FALSE(result.note);
}

TEST_F(DockerScannerTest, AnyFailureOnTheWayEndsInTheNotRunningNote) {
    socket();
    home.tree.file("Library/Containers/com.docker.docker/Data/x", 10000);
    const auto footprint = duBytes(home.path("Library/Containers/com.docker.docker/Data"));
    const auto expectNotRunning = [&](const DockerScanner& scanner, const std::string& what) {
        const auto result = scan(scanner);
        EXPECT_TRUE(result.candidates.empty()) << what;
        EXPECT_EQ(result.note, notRunning) << what;
        EXPECT_EQ(result.footprint, footprint) << what;
    };
    dockerTool(" \n\t\n", usageJSON);
    expectNotRunning(DockerScanner(), "blank version");
    EXPECT_EQ(dockerRuns(), "info --format {{.ServerVersion}}\n");  // df never asked
    dockerTool("24.0.7", "not json");
    expectNotRunning(DockerScanner(), "garbage");
    dockerTool("24.0.7", usageJSON, 1);
    expectNotRunning(DockerScanner(), "non-zero exit");
    home.tool("docker", "case \"$1\" in info) exit 1 ;; esac");
    expectNotRunning(DockerScanner(), "info fails");
    home.tool("docker", "case \"$1\" in info) echo 24 ;; *) exec /bin/sleep 30 ;; esac");
    expectNotRunning(DockerScanner({6.0, 0.2}), "df times out");
    home.hangingTool("docker");
    expectNotRunning(DockerScanner({0.2, 20.0}), "info times out");
}

TEST_F(DockerScannerTest, NoSocketMeansNoToolRuns) {
    if (systemSocketExists()) GTEST_SKIP() << "this machine has a Docker socket";
    dockerTool("24.0.7", usageJSON);
    DockerScanner scanner;
    EXPECT_FALSE(scanner.isDaemonRunning());
    const auto result = scan(scanner);
    EXPECT_EQ(result.note, notRunning);
    EXPECT_EQ(dockerRuns(), "");

    // Colima's socket counts as well.
    home.tree.text(".colima/default/docker.sock", "");
    EXPECT_TRUE(scanner.isDaemonRunning());
}

TEST_F(DockerScannerTest, WithoutTheToolTheDataFolderStillCounts) {
    socket();
    DockerScanner scanner;
    EXPECT_FALSE(scanner.isAvailable());
    EXPECT_EQ(scan(scanner).note, notFound);

    home.tree.file("Library/Containers/com.docker.docker/Data/vms/0/data/Docker.raw", 50000);
    EXPECT_TRUE(scanner.isAvailable());
    const auto result = scan(scanner);
    EXPECT_TRUE(result.candidates.empty());
    EXPECT_EQ(result.note, notFound);
    EXPECT_EQ(result.footprint, duBytes(home.path("Library/Containers/com.docker.docker/Data")));
}

}  // namespace
}  // namespace korvane
