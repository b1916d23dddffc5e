#include "app/ZoomSteps.h"

#include <algorithm>
#include <iterator>
#include <optional>

namespace dorv::zoom {
namespace {

constexpr KeyBinding kKeys[] = {
    {"plus", Command::In},         {"equal", Command::In}, {"KP_Add", Command::In},  {"minus", Command::Out},
    {"KP_Subtract", Command::Out}, {"0", Command::Reset},  {"KP_0", Command::Reset},
};

// Digits, then optionally "." and more digits, then optionally "%": the
// whole part, capped well above the largest step.
std::optional<int> ParsePercent(std::string_view value) {
    size_t i = 0;
    long whole = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        whole = std::min(whole * 10 + (value[i] - '0'), 100000L);
    }
    if (i == 0) return std::nullopt;
    if (i < value.size() && value[i] == '.') {
        size_t digits = ++i;
        while (i < value.size() && value[i] >= '0' && value[i] <= '9') ++i;
        if (i == digits) return std::nullopt;
    }
    if (i < value.size() && value[i] == '%') ++i;
    if (i != value.size()) return std::nullopt;
    return static_cast<int>(whole);
}

}  // namespace

int Apply(int percent, Command command) {
    const int* step = std::find(std::begin(kSteps), std::end(kSteps), percent);
    if (step == std::end(kSteps)) return kNormal;
    switch (command) {
        case Command::In:
            return step + 1 == std::end(kSteps) ? *step : step[1];
        case Command::Out:
            return step == std::begin(kSteps) ? *step : step[-1];
        case Command::Reset:
            return kNormal;
    }
    return kNormal;
}

std::span<const KeyBinding> KeyBindings() { return kKeys; }

int FromSetting(std::string_view value, std::string& note) {
    note.clear();
    if (value.empty()) return kNormal;
    std::optional<int> percent = ParsePercent(value);
    if (!percent) {
        note = "no percentage, " + std::to_string(kNormal) + " % taken";
        return kNormal;
    }
    int step = kSteps[0];
    for (int candidate : kSteps) {
        if (candidate <= *percent) step = candidate;
    }
    if (value != std::to_string(step)) note = "no step of 100 to 200, " + std::to_string(step) + " % taken";
    return step;
}

}  // namespace dorv::zoom
