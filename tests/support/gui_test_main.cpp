// Entry point of the GUI test binary: GTK, gtkmm and libadwaita are started once per process.
#include <adwaita.h>
#include <gtest/gtest.h>
#include <gtkmm/init.h>

#include <cstdio>

int main(int argc, char* argv[])
{
    testing::InitGoogleTest(&argc, argv);
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
