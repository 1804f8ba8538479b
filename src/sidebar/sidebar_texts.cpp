#include "sidebar/sidebar_texts.hpp"

#include <glib.h>

namespace tq {

namespace {

// Unicode white space and line breaks: the space separators, the line and paragraph
// separators, tab, line feed, vertical tab, form feed, carriage return and next line.
bool isWhitespaceOrNewline(gunichar c)
{
    if ((c >= 0x09 && c <= 0x0D) || c == 0x85)
        return true;
    switch (g_unichar_type(c)) {
    case G_UNICODE_SPACE_SEPARATOR:
    case G_UNICODE_LINE_SEPARATOR:
    case G_UNICODE_PARAGRAPH_SEPARATOR:
        return true;
    default:
        return false;
    }
}

} // namespace

std::optional<std::string> newProjectName(std::string_view typed)
{
    const char* const begin = typed.data();
    const char* const end = typed.data() + typed.size();

    // Invalid UTF-8 is never trimmed away: it stops the scan and goes to the store, which
    // decides what to do with such a name.
    const char* first = begin;
    while (first < end) {
        const gunichar c = g_utf8_get_char_validated(first, end - first);
        if (c == static_cast<gunichar>(-1) || c == static_cast<gunichar>(-2) || !isWhitespaceOrNewline(c))
            break;
        first = g_utf8_next_char(first);
    }
    const char* last = end;
    while (last > first) {
        const char* previous = last - 1;
        while (previous > first && (static_cast<unsigned char>(*previous) & 0xC0) == 0x80)
            --previous;
        const gunichar c = g_utf8_get_char_validated(previous, last - previous);
        if (c == static_cast<gunichar>(-1) || c == static_cast<gunichar>(-2) || !isWhitespaceOrNewline(c))
            break;
        last = previous;
    }
    if (first == last)
        return std::nullopt;
    return std::string(first, last);
}

std::string displayName(const std::string& fileName)
{
    gchar* shown = g_filename_display_name(fileName.c_str());
    std::string result(shown);
    g_free(shown);
    return result;
}

const char* pinMenuLabel(ProjectState state)
{
    return state == ProjectState::pinned ? "Unpin" : "Pin to Top";
}

std::string deleteConfirmationMessage(const std::string& projectName)
{
    return "Delete \"" + displayName(projectName) + "\"?";
}

FailureNotice createProjectFailure(const std::string& projectName, const Error& error)
{
    return {"Could not create \"" + displayName(projectName) + "\"", error.message};
}

FailureNotice deleteProjectFailure(const std::string& projectName, const Error& error)
{
    return {"Could not move \"" + displayName(projectName) + "\" to the Trash",
            error.message + "\n\nThe project folder is still in place."};
}

FailureNotice showFolderFailure(const std::string& folderPath, const Error& error)
{
    return {"Could not show the folder",
            "No file manager could open " + displayName(folderPath) + ".\n\n" + error.message};
}

} // namespace tq
