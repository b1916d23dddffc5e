// The main frame: the course texts shown in the title and the about box, and
// the one gate through which every close request passes.
#pragma once

#include <string>

namespace dorv {

class ICloseGate;
class IFrameWindow;

class CMainFrame {
public:
    CMainFrame(IFrameWindow& window, ICloseGate& gate);
    CMainFrame(const CMainFrame&) = delete;
    CMainFrame& operator=(const CMainFrame&) = delete;
    ~CMainFrame() = default;

    // The close gate: every close request arrives here. Once the close
    // sequence has finished the window closes; until then the request
    // starts the close sequence.
    void OnClose();

    void SetCaption(const std::string& text);
    void SetCourseVersion(const std::string& text) { m_strCourseVersion = text; }
    void SetSoftwareName(const std::string& text) { m_strSoftwareName = text; }
    void SetCopyright(const std::string& text) { m_strCopyright = text; }

    const std::string& GetCaption() const { return m_strCaption; }
    const std::string& GetCourseVersion() const { return m_strCourseVersion; }
    const std::string& GetSoftwareName() const { return m_strSoftwareName; }
    const std::string& GetCopyright() const { return m_strCopyright; }

private:
    IFrameWindow& m_window;
    ICloseGate& m_gate;
    std::string m_strCaption = "PLENA DORV";
    std::string m_strCourseVersion;
    std::string m_strSoftwareName = "PLENA DORV";
    std::string m_strCopyright;
};

}  // namespace dorv
