// Where the course's windows may go. A page from elsewhere opens in the
// user's web browser, and the window keeps the course, so that the learner
// is never left without a way back.
#pragma once

#include <string>

namespace dorv {

class CCoursePages;

enum class NavigationKind { LinkClicked, FormSubmitted, FormResubmitted, NewWindow, Other };

class CNavigationPolicy {
public:
    // One navigation reports its address more than once (started, failed):
    // a page kept out again within this time is the same one.
    static constexpr long long kRepeatMs = 1000;

    explicit CNavigationPolicy(const CCoursePages& pages) : m_pages(pages) {}

    // Whether a navigation is judged before any request is made: links and
    // forms the learner follows, windows a page opens. Others (a frame's
    // content, a script) cannot be told apart there from the window's own,
    // and are judged when they commit.
    static bool IsJudgedBeforeRequest(NavigationKind kind);

    // Whether `uri` stays out of the course's windows: neither the course's
    // nor an empty window that a script fills (about:blank, about:srcdoc).
    bool KeepsOut(const std::string& uri) const;

    // Whether keeping `uri` out at `nowMs` repeats the last one: the page
    // from elsewhere is then not opened in the browser a second time.
    bool IsRepeatedKeepOut(const std::string& uri, long long nowMs);

private:
    const CCoursePages& m_pages;
    std::string m_keptOut;  // the page from elsewhere last kept out, and when
    long long m_keptOutAtMs = 0;
};

}  // namespace dorv
