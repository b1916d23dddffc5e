// The window's zoom: the steps it takes, the keys that take them and the
// start-up setting. The page keeps its 800 x 600 layout at every step; the
// window and everything in it are drawn larger.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace dorv::zoom {

inline constexpr int kSteps[] = {100, 125, 150, 175, 200};
inline constexpr int kNormal = kSteps[0];

enum class Command { In, Out, Reset };

// The step that `command` leads to from `percent` (a step): the next larger
// or smaller one, the same at either end, 100 for Reset.
int Apply(int percent, Command command);

// What the keys do with Ctrl held, by the key names of X11 and GDK (the
// number row's and the keypad's plus, minus and 0, and "=", which is plus
// without Shift on many keyboards).
struct KeyBinding {
    const char* name;
    Command command;
};
std::span<const KeyBinding> KeyBindings();

// The starting step from a `zoom` value in percent ("150", also "150%" or
// "150.5"): a step as it stands, any other number the step at or below it
// within 100 to 200, anything else 100, as is an empty value. `note` says
// what was taken instead of the value, empty when the value is a step or
// empty.
int FromSetting(std::string_view value, std::string& note);

}  // namespace dorv::zoom
