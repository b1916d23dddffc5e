// What the main frame needs of its top-level window.
#pragma once

#include <string>

namespace dorv {

class IFrameWindow {
public:
    virtual ~IFrameWindow() = default;
    virtual void SetTitle(const std::string& title) = 0;
    // Destroys the window; the program ends when the main loop notices.
    virtual void Destroy() = 0;
};

}  // namespace dorv
