#pragma once

namespace tq {

// Width limits of a side column of the workspace, in logical pixels.
struct ColumnWidth {
    int minimum;
    int ideal;
    int maximum;

    int clamp(int width) const { return width < minimum ? minimum : (width > maximum ? maximum : width); }
};

inline constexpr ColumnWidth sidebarColumnWidth{180, 200, 300};
inline constexpr ColumnWidth documentsColumnWidth{250, 280, 400};

} // namespace tq
