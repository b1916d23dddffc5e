#include "app/AboutDlg.h"

#include "app/MainFrame.h"
#include "app/Version.h"
#include "common/Tokens.h"

namespace dorv {

CAboutDlg::CAboutDlg(const CMainFrame& frame) {
    std::string version;
    if (GetVersionString("ProductVersion", version)) m_strAbout = BuildText(frame, version);
}

bool CAboutDlg::GetVersionString(const std::string& name, std::string& value) {
    if (name == "ProductVersion" || name == "FileVersion") {
        value = kDorvVersion;
    } else if (name == "FileDescription") {
        value = "DORV Software";
    } else if (name == "ProductName" || name == "InternalName" || name == "OriginalFilename") {
        value = "dorv";
    } else {
        return false;
    }
    return true;
}

std::string CAboutDlg::BuildText(const CMainFrame& frame, const std::string& productVersion) {
    // Fields 0, 1 and 2, the last two written together: 3.0.1.76 reads
    // "Ver 3.01"; the build number is not shown.
    std::string number =
        GetToken(productVersion, ".", 0) + "." + GetToken(productVersion, ".", 1) + GetToken(productVersion, ".", 2);
    return frame.GetSoftwareName() + "  Ver " + number + "\n" + frame.GetCaption() + "  " + frame.GetCourseVersion() +
           "\n" + frame.GetCopyright();
}

}  // namespace dorv
