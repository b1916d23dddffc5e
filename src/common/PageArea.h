// The page area of the main window: the size that every course's pages were
// laid out for, in page pixels at 100 %. Page windows that the page opens
// without a size take it too.
#pragma once

namespace dorv {

constexpr int kPageWidth = 800;
constexpr int kPageHeight = 600;

}  // namespace dorv
