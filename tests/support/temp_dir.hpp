#pragma once

#include <string>

namespace tq::test {

// A fresh folder under $TMPDIR (or /tmp), removed with everything in it at the end of scope.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + relative
    std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

private:
    std::string path_;
};

// Test file helpers; they fail the test on I/O errors.
void writeFile(const std::string& path, const std::string& content);
std::string readFile(const std::string& path);
void makeDirectories(const std::string& path);
bool exists(const std::string& path);

// Sets (or unsets, with nullptr) an environment variable and restores it at the end of scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    bool hadValue_ = false;
    std::string oldValue_;
};

} // namespace tq::test
