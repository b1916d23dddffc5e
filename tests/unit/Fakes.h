// Simple stand-ins for the platform services, and a scratch folder.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/FrameWindow.h"
#include "bridge/Page.h"
#include "common/MessageBox.h"

namespace dorv::test {

class FakeMessageBox : public IMessageBox {
public:
    void Show(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};

class FakeFrameWindow : public IFrameWindow {
public:
    void SetTitle(const std::string& title) override { titles.push_back(title); }
    void Destroy() override { ++destroyed; }
    std::vector<std::string> titles;
    int destroyed = 0;
};

class FakePage : public IPage {
public:
    void Navigate(const std::string& uri) override { navigations.push_back(uri); }
    std::vector<std::string> navigations;
};

// A fresh folder that is the working directory while the object lives.
class ScratchFolder {
public:
    ScratchFolder() : m_previous(std::filesystem::current_path()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "dorv-test-XXXXXX").string();
        m_path = mkdtemp(pattern.data());
        std::filesystem::current_path(m_path);
    }
    ~ScratchFolder() {
        std::filesystem::current_path(m_previous);
        std::error_code ignored;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::filesystem::path& Path() const { return m_path; }

    std::string Write(const std::string& name, const std::string& bytes) const {
        std::filesystem::path file = m_path / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
        return file.string();
    }

private:
    std::filesystem::path m_previous;
    std::filesystem::path m_path;
};

}  // namespace dorv::test
