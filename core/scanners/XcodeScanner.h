#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/scanners/CategoryScanner.h"

namespace korvane {

class ScanContext;

// What Xcode and its simulators keep under ~/Library: per-project build
// folders, the module cache, device symbols, archives, simulator devices,
// caches and runtimes, Xcode's own caches and the Swift package clones.
// Every finding is a path removal; the simulator tool tells which devices
// exist and whether their runtime is still installed.
class XcodeScanner final : public CategoryScanner {
public:
    // One simulator device as the simulator tool lists it.
    struct SimulatorDevice {
        std::string name;
        std::string runtime;  // readable form: "iOS 17 2"
        std::string state;
        bool isAvailable = true;
        bool operator==(const SimulatorDevice&) const = default;
    };
    // UDID -> device.
    using DeviceList = std::map<std::string, SimulatorDevice>;

    static constexpr double defaultSimulatorTimeout = 20.0;

    // `simulatorTimeout`: seconds the simulator tool may take.
    explicit XcodeScanner(double simulatorTimeout = defaultSimulatorTimeout)
        : simulatorTimeout_(simulatorTimeout) {}

    CleanupCategory category() const override { return CleanupCategory::xcode; }
    bool isAvailable() const override;
    CategoryResult scan(const ScanContext& context) const override;

    // The devices the simulator tool lists; none when the tool is missing,
    // fails, times out or answers something unreadable. An empty list is a
    // valid answer (the tool knows no devices).
    std::optional<DeviceList> simulatorDevices() const;
    // The device list in the tool's JSON answer; none when the answer does
    // not have the expected shape.
    static std::optional<DeviceList> parseDeviceList(std::string_view json);
    // The "name" recorded in a device folder's own device.plist (XML or
    // binary), or none.
    static std::optional<std::string> deviceName(const std::string& deviceFolder);
    // A derived-data folder's project name: the folder name without its last
    // "-"-separated piece ("MyApp-abcdef" -> "MyApp").
    static std::string projectName(std::string_view folderName);
    // A date as the archive details show it, in local time: "Jan 5, 2024".
    static std::string formatDate(std::chrono::system_clock::time_point date);

    // Platforms with a device-support folder, in scan order.
    static const std::vector<std::string>& platforms();

private:
    // The steps of scan(), in order. Every item measured counts in the
    // footprint, offered or not.
    // One folder per project plus the shared module cache.
    void addDerivedData(const ScanContext& context, Findings& found) const;
    // Debug symbols copied from devices, per platform.
    void addDeviceSupport(const ScanContext& context, Findings& found) const;
    // Archives, grouped in date folders.
    void addArchives(const ScanContext& context, Findings& found) const;
    // Each device folder, judged by what the simulator tool says of it.
    void addSimulatorDevices(const ScanContext& context, Findings& found) const;
    void addSimulatorCaches(const ScanContext& context, Findings& found) const;
    void addSimulatorRuntimes(const ScanContext& context, Findings& found) const;
    void addXcodeCaches(const ScanContext& context, Findings& found) const;
    // Swift package clones.
    void addSwiftPackages(const ScanContext& context, Findings& found) const;

    double simulatorTimeout_;
};

}  // namespace korvane
