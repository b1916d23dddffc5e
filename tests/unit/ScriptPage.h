// The page as the learner data calls it, and the bytes of a file, for the
// tests of the learner data against real files.
#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "learner/ScriptHost.h"

namespace dorv::test {

// Page calls as the view makes them: the argument string arrives whole;
// what the page answers comes from `answers` (no answer: the call fails).
class ScriptPage : public IScriptHost {
public:
    bool CallScript(const std::string& function, const std::string& argumentString) override {
        calls.push_back(function + "(" + argumentString + ")");
        return true;
    }
    bool CallScriptForText(const std::string& function, int size, std::string& result) override {
        calls.push_back(function + "[" + std::to_string(size) + "]");
        auto it = answers.find(function);
        if (size < 0 || it == answers.end()) return false;
        result = it->second;
        return true;
    }
    std::map<std::string, std::string> answers;
    std::vector<std::string> calls;
};

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace dorv::test
