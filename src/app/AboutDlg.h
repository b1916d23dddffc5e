// The about box: the software name with the program's version, the course
// caption with its version, and the copyright line, built anew each time
// from the frame's texts.
#pragma once

#include <string>

namespace dorv {

class CMainFrame;

// Shows the about box's text modally, titled "About This Program".
class IAboutBox {
public:
    virtual ~IAboutBox() = default;
    virtual void Show(const std::string& text) = 0;
};

class CAboutDlg {
public:
    static constexpr const char* kTitle = "About This Program";

    explicit CAboutDlg(const CMainFrame& frame);

    // One text of the program's version information ("ProductVersion",
    // "FileVersion", "FileDescription", "ProductName" ...).
    static bool GetVersionString(const std::string& name, std::string& value);
    // The three lines for a product version such as "3.0.1.76".
    static std::string BuildText(const CMainFrame& frame, const std::string& productVersion);

    void DoModal(IAboutBox& box) const { box.Show(m_strAbout); }
    const std::string& GetText() const { return m_strAbout; }

private:
    std::string m_strAbout;
};

}  // namespace dorv
