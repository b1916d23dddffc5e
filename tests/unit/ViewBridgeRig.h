// The view over a fake page, with a course whose configuration names the
// file title and the texts of the title bar and the about box.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Fakes.h"
#include "ViewRig.h"
#include "bridge/DorvView.h"

namespace dorv::test {

using Args = std::vector<std::string>;

class ViewBridgeTest : public ::testing::Test, protected test::ViewRig {
protected:
    ViewBridgeTest() {
        app.m_strConfig = folder.Write("course.xml",
                                       "<config file_title=\"ENG\" software=\" PLENA DORV \tVer 3.0\" "
                                       "courseware=\"英語 Ver 2.1 \" copyright=\" (C) X \"/>");
        app.m_strMain = folder.Write("main.html", "");
    }

    // GetState answers the given texts in turn, then "".
    void Answer(std::vector<std::string> answers) {
        auto queue = std::make_shared<std::vector<std::string>>(std::move(answers));
        page.functions["GetState"] = [queue](const Args&) -> std::optional<std::string> {
            if (queue->empty()) return "";
            std::string next = queue->front();
            queue->erase(queue->begin());
            return next;
        };
    }
    void Define(const std::string& name, std::string result = "") {
        page.functions[name] = [result](const Args&) { return std::optional<std::string>(result); };
    }
    void Poll() { view.OnTimer(CDORVView::kPollTimer); }

    ScratchFolder folder;
};

}  // namespace dorv::test
