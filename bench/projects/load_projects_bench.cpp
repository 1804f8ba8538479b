// loadProjects on a root of 1,000 projects, each with a 4 KiB requirements document and a
// 4 KiB progress document, against the bare cost of reading the same files.

#include "projects/project_manager.hpp"
#include "projects/scaffold_documents.hpp"

#include <benchmark/benchmark.h>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int projectCount = 1000;
constexpr std::size_t documentSize = 4096;

enum class Text {
    markdown, // like the documents this app and coding agents write: ASCII with a dash or arrow here and there
    accented, // prose with an accented letter or symbol every dozen bytes, the worst case for UTF-8 checks
};

// `size` bytes of text, cut on a character boundary and padded with spaces.
std::string document(const std::string& title, std::size_t size, Text kind)
{
    std::string text = "# " + title + "\n\n";
    for (int line = 0; text.size() < size; ++line) {
        if (kind == Text::markdown)
            text += tq::bootstrapDocument(title);
        else
            text += "- [" + std::string(line % 3 ? " " : "x") + "] Tâche " + std::to_string(line)
                + ": keep the café’s menu in sync with the kitchen — ✓ checked\n";
    }
    text.resize(size);
    while ((static_cast<unsigned char>(text.back()) & 0xC0) == 0x80)
        text.pop_back();
    if (static_cast<unsigned char>(text.back()) >= 0xC0)
        text.pop_back();
    text.resize(size, ' ');
    return text;
}

void writeFile(const std::filesystem::path& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary);
    out << content;
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

// The generated root, removed when the process ends.
class Fixture {
public:
    static Fixture& instance(Text kind = Text::markdown)
    {
        if (kind == Text::accented) {
            static Fixture accented(kind);
            return accented;
        }
        static Fixture markdown(kind);
        return markdown;
    }

    const std::string& root() const { return root_; }
    const std::string& settingsPath() const { return settingsPath_; }
    const std::vector<std::string>& documentPaths() const { return documentPaths_; }

private:
    explicit Fixture(Text kind)
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/tq-bench.XXXXXX";
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        folder_ = pattern;
        root_ = folder_ + "/root";
        settingsPath_ = folder_ + "/settings.ini";
        static const char* const words[] = { "alpha", "Beta", "gamma", "Délta", "epsilon", "Zeta", "ÉTA",
                                             "theta", "Iota", "kappa", "Lambda", "mü" };
        for (int i = 0; i < projectCount; ++i) {
            const std::string name = std::string(words[i % std::size(words)]) + " project " + std::to_string(i * 7919 % projectCount);
            const std::filesystem::path folder = std::filesystem::path(root_) / name;
            std::filesystem::create_directories(folder / ".tavoro");
            writeFile(folder / ".tavoro/requirements.md", document(name + " requirements", documentSize, kind));
            writeFile(folder / ".tavoro/progress.md", document(name + " progress", documentSize, kind));
            if (i % 10 == 0)
                writeFile(folder / "BOOTSTRAP.md", "bootstrap");
            documentPaths_.push_back((folder / ".tavoro/requirements.md").string());
            documentPaths_.push_back((folder / ".tavoro/progress.md").string());
        }
    }
    ~Fixture()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    std::string folder_;
    std::string root_;
    std::string settingsPath_;
    std::vector<std::string> documentPaths_;
};

void BM_LoadProjects(benchmark::State& state, Text kind)
{
    const auto& fixture = Fixture::instance(kind);
    tq::ProjectManager manager(tq::SettingsFile(fixture.settingsPath()), fixture.root());
    manager.loadProjects(); // warm the page cache and the collator
    if (manager.projects().size() != projectCount || manager.projects()[0].requirements.size() != documentSize)
        state.SkipWithError("the generated root did not load as expected");
    for (auto _ : state) {
        manager.loadProjects();
        benchmark::DoNotOptimize(manager.projects().data());
    }
    state.counters["projects"] = static_cast<double>(manager.projects().size());
}
BENCHMARK_CAPTURE(BM_LoadProjects, markdown, Text::markdown)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadProjects, accented, Text::accented)->Unit(benchmark::kMillisecond);

// The floor: open, read and close each of the 2,000 documents, nothing else.
void BM_ReadDocumentsFloor(benchmark::State& state)
{
    const auto& paths = Fixture::instance().documentPaths();
    std::vector<char> buffer(2 * documentSize);
    for (auto _ : state) {
        std::size_t total = 0;
        for (const auto& path : paths) {
            const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            const ssize_t count = ::read(fd, buffer.data(), buffer.size());
            ::close(fd);
            total += static_cast<std::size_t>(count);
        }
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_ReadDocumentsFloor)->Unit(benchmark::kMillisecond);

// The floor plus listing the root: the file-system work loadProjects cannot avoid.
void BM_ListAndReadFloor(benchmark::State& state)
{
    const auto& root = Fixture::instance().root();
    std::vector<char> buffer(2 * documentSize);
    for (auto _ : state) {
        std::size_t total = 0;
        DIR* directory = ::opendir(root.c_str());
        while (const dirent* entry = ::readdir(directory)) {
            if (entry->d_name[0] == '.' || entry->d_type != DT_DIR)
                continue;
            for (const char* document : { "/.tavoro/requirements.md", "/.tavoro/progress.md" }) {
                const int fd = ::openat(::dirfd(directory), (std::string(entry->d_name) + document).c_str(),
                                        O_RDONLY | O_CLOEXEC);
                total += static_cast<std::size_t>(::read(fd, buffer.data(), buffer.size()));
                ::close(fd);
            }
        }
        ::closedir(directory);
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_ListAndReadFloor)->Unit(benchmark::kMillisecond);

} // namespace
