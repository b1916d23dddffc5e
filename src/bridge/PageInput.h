// Input meant for the page, as the view's input filter sees it.
#pragma once

namespace dorv {

struct PageInput {
    enum class Kind { KeyDown, KeyUp, LeftButtonDown };
    enum class Key { None, Control, Escape, Space, Other };
    Kind kind;
    Key key = Key::None;
};

}  // namespace dorv
