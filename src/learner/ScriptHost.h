// The page calls that the learner data makes, served by the view.
#pragma once

#include <string>

namespace dorv {

class IScriptHost {
public:
    virtual ~IScriptHost() = default;
    // Calls the page function with the arguments of the argument string.
    virtual bool CallScript(const std::string& function, const std::string& argumentString) = 0;
    // Calls the page function without arguments and reads its answer.
    virtual bool CallScriptForText(const std::string& function, int receiveBufferSize, std::string& result) = 0;
};

}  // namespace dorv
