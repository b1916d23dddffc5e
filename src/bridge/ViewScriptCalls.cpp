// Page calls of the view.
#include <new>

#include "app/DorvApp.h"
#include "bridge/ArgumentString.h"
#include "bridge/DorvView.h"
#include "common/Trace.h"

namespace dorv {

bool CDORVView::CallScript(const std::string& function, const std::string& argumentString) {
    return CallScript(function, argumentString, nullptr);
}

bool CDORVView::IsServedPage() {
    std::string uri = m_services.page.CurrentUri();
    // Before the first document there is nothing to call, and nothing is.
    if (uri.empty() || CoursePages().IsCoursePage(uri)) {
        m_strRefusedUri.clear();
        return true;
    }
    if (uri != m_strRefusedUri) {
        m_strRefusedUri = uri;
        Trace("%s is not one of the course's pages: it is neither polled nor called", uri.c_str());
    }
    return false;
}

bool CDORVView::CallScript(const std::string& function, const std::string& argumentString, std::string* result) {
    if (!IsServedPage()) return false;
    std::vector<std::string> args = ParseArgumentString(argumentString);
    return RunPageCall(
        function, args.size(),
        [&](std::string& answer) { return m_services.page.CallFunction(function, args, &answer); }, result);
}

bool CDORVView::CallPollFunction(std::string& answer) {
    if (!IsServedPage()) return false;
    return RunPageCall(
        kPollFunction, 0, [&](std::string& text) { return m_services.page.Poll(kPollFunction, &text); }, &answer);
}

bool CDORVView::RunPageCall(const std::string& function, size_t argumentCount,
                            const std::function<bool(std::string& answer)>& call, std::string* result) {
    Enter(CViewBusy::Reason::Waiting);
    std::string answer;
    bool ok = false;
    bool exhausted = false;
    try {
        ok = call(answer);
    } catch (const std::bad_alloc&) {
        exhausted = true;  // the answer did not fit in memory
    }
    Leave(CViewBusy::Reason::Waiting);
    if (exhausted) {
        Trace("call %s: out of memory", function.c_str());
        ShowMessage(kOutOfMemoryMessage);
        return false;
    }
    // The poll is traced only when it brings something, or the trace would
    // fill with empty answers four times a second.
    if (function != kPollFunction || !ok || !answer.empty()) {
        Trace("call %s (%zu argument%s): %s", function.c_str(), argumentCount, argumentCount == 1 ? "" : "s",
              ok ? "done" : "failed");
    }
    if (ok && result) *result = std::move(answer);
    return ok;
}

bool CDORVView::CallScriptForText(const std::string& function, int receiveBufferSize, std::string& result) {
    // The size does not limit the answer; only a size that cannot be
    // reserved at all fails, as it did when a buffer was reserved up front.
    if (receiveBufferSize < 0) {
        ShowMessage(kOutOfMemoryMessage);
        return false;
    }
    return CallScript(function, "", &result);
}

bool CDORVView::SetElementContent(const std::string& id, const std::string& html) {
    if (!IsServedPage()) return false;
    Enter(CViewBusy::Reason::Waiting);
    bool ok = m_services.page.SetElementContent(id, html);
    Leave(CViewBusy::Reason::Waiting);
    Trace("set content of #%s: %s", id.c_str(), ok ? "done" : "no element");
    return ok;
}

void CDORVView::Leave(CViewBusy::Reason reason) {
    m_busy.Leave(reason);
    if (!IsBusy()) ScheduleDeferred();
}

}  // namespace dorv
