#include "course/NavigationPolicy.h"

#include "course/CoursePages.h"

namespace dorv {

bool CNavigationPolicy::IsJudgedBeforeRequest(NavigationKind kind) { return kind != NavigationKind::Other; }

bool CNavigationPolicy::KeepsOut(const std::string& uri) const {
    if (uri.empty() || uri == "about:blank" || uri == "about:srcdoc") return false;
    return !m_pages.IsCoursePage(uri);
}

bool CNavigationPolicy::IsRepeatedKeepOut(const std::string& uri, long long nowMs) {
    bool repeated = uri == m_keptOut && nowMs - m_keptOutAtMs < kRepeatMs;
    if (!repeated) {
        m_keptOut = uri;
        m_keptOutAtMs = nowMs;
    }
    return repeated;
}

}  // namespace dorv
