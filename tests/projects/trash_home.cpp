#include "trash_home.hpp"

#include "support/temp_dir.hpp"

#include <glib.h>

#include <memory>

namespace tq::test {

TrashHome& TrashHome::instance()
{
    static TrashHome home;
    return home;
}

TrashHome::TrashHome()
{
    static TempDir temp;
    folder_ = temp.path();
    const std::string data = folder_ + "/data";
    makeDirectories(data);
    {
        // GLib keeps what it reads now; the variables themselves go back to their old values.
        ScopedEnv home("HOME", folder_.c_str());
        ScopedEnv dataHome("XDG_DATA_HOME", data.c_str());
        if (g_get_home_dir() != folder_ || g_get_user_data_dir() != data)
            problem_ = std::string("GLib already uses the home folder ") + g_get_home_dir() + " and data folder "
                + g_get_user_data_dir() + " in this process";
    }
}

} // namespace tq::test
