#include "projects/project.hpp"

namespace tq {

std::string Project::id() const
{
    std::string_view view = path;
    while (view.size() > 1 && view.back() == '/')
        view.remove_suffix(1);
    const auto slash = view.rfind('/');
    return std::string(slash == std::string_view::npos ? view : view.substr(slash + 1));
}

} // namespace tq
