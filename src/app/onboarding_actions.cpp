#include "app/onboarding_actions.hpp"

#include <glib/gstdio.h>
#include <glib.h>

namespace tq {

std::string adoptProjectsFolderIn(ProjectManager& projectManager, const std::string& parent)
{
    std::string root = parent;
    if (root.empty() || root.back() != '/')
        root += '/';
    root += "Projects";
    g_mkdir_with_parents(root.c_str(), 0755);
    projectManager.setRootDirectory(root);
    return root;
}

} // namespace tq
