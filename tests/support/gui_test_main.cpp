// Entry point of the GUI test binary: GTK, gtkmm and libadwaita are started once per process.
#include "support/temp_dir.hpp"

#include <adwaita.h>
#include <gtest/gtest.h>
#include <gtkmm/init.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(__SANITIZE_ADDRESS__)
#include <link.h>

// From the sanitizer runtime (GCC ships no header declaring them).
extern "C" int __sanitizer_get_ownership(const volatile void* pointer);
extern "C" std::size_t __sanitizer_get_allocated_size(const volatile void* pointer);

namespace {

// GLib never frees its first quark block when the quark table grows past 2048 entries (readers
// take it without a lock), so LeakSanitizer would report 16 KiB in every test that registers
// that many quarks. Holding a pointer to the block keeps it reachable; every other leak is
// still reported. Found while the table is small: the heap block of exactly 2048 pointers,
// referenced from GLib's own data, whose entries are the strings of quarks 1 and 2.
const void* firstQuarkBlock = nullptr;

int findFirstQuarkBlock(dl_phdr_info* info, size_t, void*)
{
    if (!std::strstr(info->dlpi_name, "libglib-2.0.so"))
        return 0;
    const char* const first = g_quark_to_string(1);
    const char* const second = g_quark_to_string(2);
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const auto& segment = info->dlpi_phdr[i];
        if (segment.p_type != PT_LOAD || !(segment.p_flags & PF_W))
            continue;
        const auto* words = reinterpret_cast<const void* const*>(info->dlpi_addr + segment.p_vaddr);
        for (std::size_t n = 0; n < segment.p_memsz / sizeof(void*); ++n) {
            const void* candidate = words[n];
            if (__sanitizer_get_ownership(candidate) && __sanitizer_get_allocated_size(candidate) == 2048 * sizeof(char*)
                && static_cast<const char* const*>(candidate)[1] == first
                && static_cast<const char* const*>(candidate)[2] == second) {
                firstQuarkBlock = candidate;
                return 1;
            }
        }
    }
    return 0;
}

} // namespace
#endif

int main(int argc, char* argv[])
{
#if defined(__SANITIZE_ADDRESS__)
    dl_iterate_phdr(findFirstQuarkBlock, nullptr);
#endif
    testing::InitGoogleTest(&argc, argv);
    // A home of its own for every GUI test process: GLib reads the home, data, config and cache
    // folders once (in gtk_init), and no test may touch the user's real Trash or settings.
    // Temporary roots made by tests sit on the same file system, so their Trash is in here.
    tq::test::TempDir home;
    for (const auto& [name, folder] : {std::pair{"HOME", home.path()}, {"XDG_DATA_HOME", home / "data"},
                                       {"XDG_CONFIG_HOME", home / "config"}, {"XDG_CACHE_HOME", home / "cache"}}) {
        tq::test::makeDirectories(folder);
        setenv(name, folder.c_str(), 1);
    }
    // Listing tests needs no display.
    if (!testing::GTEST_FLAG(list_tests)) {
        // Software GL is slow here and leaks under LeakSanitizer; cairo draws the same widgets.
        g_setenv("GSK_RENDERER", "cairo", FALSE);
        if (!gtk_init_check()) {
            std::fprintf(stderr, "GUI tests need a display; run them through scripts/test.\n");
            return 1;
        }
        Gtk::init_gtkmm_internals();
        adw_init();
    }
    return RUN_ALL_TESTS();
}
