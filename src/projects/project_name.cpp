#include "projects/project_name.hpp"

#include "projects/utf8.hpp"

namespace tq {

bool isSingleComponent(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos
        && name.find('\0') == std::string_view::npos;
}

MaybeError checkNewProjectName(std::string_view name, std::size_t maxNameBytes)
{
    if (name.empty())
        return Error { "A project name cannot be empty." };
    if (name.find('\0') != std::string_view::npos)
        return Error { "A project name cannot contain a NUL character." };
    if (name.find('/') != std::string_view::npos)
        return Error { "A project name cannot contain “/”: it must name one folder inside the projects folder." };
    if (name == "." || name == "..")
        return Error { "“" + std::string(name) + "” cannot be a project name: it does not name a new folder." };
    if (name.front() == '.')
        return Error { "A project name cannot start with “.”: the folder would be hidden and never listed." };
    if (!isValidUtf8(name))
        return Error { "A project name must be valid UTF-8 text." };
    if (name.size() > maxNameBytes)
        return Error { "The project name is too long: folder names here can have at most "
                       + std::to_string(maxNameBytes) + " bytes, and this one has " + std::to_string(name.size())
                       + "." };
    return std::nullopt;
}

} // namespace tq
