// Entry point of the GUI test binary: GTK, gtkmm and libadwaita are started once per process.
#include "support/temp_dir.hpp"

#include <adwaita.h>
#include <gtest/gtest.h>
#include <gtkmm/init.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
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
