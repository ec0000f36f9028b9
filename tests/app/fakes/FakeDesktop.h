#pragma once

#include <deque>
#include <string>
#include <vector>

#include "app/platform/Desktop.h"

namespace korvane::testing {

// Records what the state asks of the desktop; pickers answer from a queue
// of prepared choices (nothing queued: the user cancels). With `answersRequests`
// false, nothing answers a request to show or open.
class FakeDesktop final : public Desktop {
public:
    void reveal(const std::vector<std::string>& paths, Unanswered unanswered) override {
        revealed.push_back(paths);
        if (!answersRequests && unanswered) unanswered();
    }
    void open(const std::string& path, Unanswered unanswered) override {
        opened.push_back(path);
        if (!answersRequests && unanswered) unanswered();
    }
    void openTrash(Unanswered unanswered) override {
        ++trashOpened;
        if (!answersRequests && unanswered) unanswered();
    }
    void copyText(const std::string& text) override { copied.push_back(text); }
    std::vector<std::string> chooseFolders(const FolderRequest& request) override {
        requests.push_back(request);
        if (answers.empty()) return {};
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::string fileManagerName() override { return fileManager; }
    std::string volumeName(const std::string& folder) override {
        volumeAsked.push_back(folder);
        return volume;
    }

    std::vector<std::vector<std::string>> revealed;
    std::vector<std::string> opened;
    int trashOpened = 0;
    std::vector<std::string> copied;
    std::vector<FolderRequest> requests;
    std::deque<std::vector<std::string>> answers;
    bool answersRequests = true;
    std::string fileManager;
    std::string volume;
    std::vector<std::string> volumeAsked;
};

}  // namespace korvane::testing
