#pragma once

#include "terminals/terminal_view.hpp"

#include <memory>
#include <string>
#include <vector>

namespace tq::test {

class FakeTerminalView : public TerminalView {
public:
    FakeTerminalView(int pid, int& liveViews)
        : pid_(pid)
        , liveViews_(liveViews)
    {
        ++liveViews_;
    }
    ~FakeTerminalView() override { --liveViews_; }
    int shellProcessId() const override { return pid_; }
    void setShellProcessId(int pid) { pid_ = pid; }

private:
    int pid_;
    int& liveViews_;
};

// Hands out views with process ids 1000, 1001… and records the folder of each.
class FakeTerminalViewFactory : public TerminalViewFactory {
public:
    std::shared_ptr<TerminalView> createTerminalView(const std::string& workingDirectory) override
    {
        directories.push_back(workingDirectory);
        return std::make_shared<FakeTerminalView>(1000 + static_cast<int>(directories.size()) - 1, liveViews);
    }

    std::vector<std::string> directories;
    int liveViews = 0;
};

} // namespace tq::test
