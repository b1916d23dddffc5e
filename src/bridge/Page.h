// What the view needs of the web engine that shows the course's page.
#pragma once

#include <string>

namespace dorv {

class IPage {
public:
    virtual ~IPage() = default;
    virtual void Navigate(const std::string& uri) = 0;
};

}  // namespace dorv
