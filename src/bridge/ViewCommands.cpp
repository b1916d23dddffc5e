// The poll for host commands and their dispatch.
#include <algorithm>
#include <functional>
#include <iterator>
#include <new>

#include "bridge/DorvView.h"
#include "common/Tokens.h"
#include "common/Trace.h"

namespace dorv {
namespace {

enum class HostCommand {
    DisableMouse,
    EnableMouse,
    CheckDrives,
    Drive,
    User,
    Create,
    Rename,
    Delete,
    StartRegist,
    StartMain,
    Log,
    Test,
    OnLoad,
    Quit,
    ForceQuit,
};

// Tested in this order; the first equal word is carried out.
constexpr struct {
    const char* word;
    HostCommand command;
} kCommands[] = {
    {"DisableMouse:", HostCommand::DisableMouse},
    {"EnableMouse:", HostCommand::EnableMouse},
    {"CheckDrives:", HostCommand::CheckDrives},
    {"Drive:", HostCommand::Drive},
    {"User:", HostCommand::User},
    {"Create:", HostCommand::Create},
    {"Rename:", HostCommand::Rename},
    {"Delete:", HostCommand::Delete},
    {"StartRegist:", HostCommand::StartRegist},
    {"StartMain:", HostCommand::StartMain},
    {"Log:", HostCommand::Log},
    {"Test:", HostCommand::Test},
    {"OnLoad:", HostCommand::OnLoad},
    {"Quit:", HostCommand::Quit},
    {"ForceQuit:", HostCommand::ForceQuit},
};

}  // namespace

void CDORVView::PollPageState() {
    Enter(CViewBusy::Reason::Polling);
    auto guarded = [this](const std::function<void()>& step) { RunGuarded(step); };
    std::string answer;
    std::vector<std::string> lines;
    guarded([&] {
        CallPollFunction(answer);
        // Each poll works on its own copy of the lines, so a nested poll
        // cannot disturb the lines this one has still to carry out.
        lines = SplitTokens(answer, "\n");
    });
    for (const std::string& line : lines) {
        guarded([&] { DispatchCommand(GetToken(line, ":", 0) + ":", TrimWhiteSpace(GetToken(line, ":", 1))); });
    }
    FollowLearnerClaim();
    Leave(CViewBusy::Reason::Polling);
}

// Memory that runs out (a huge answer, a huge file) ends the step it
// happened in, is shown, and the work goes on with the next one.
void CDORVView::RunGuarded(const std::function<void()>& step) {
    try {
        step();
    } catch (const std::bad_alloc&) {
        Trace("out of memory");
        ShowMessage(kOutOfMemoryMessage);
    }
}

void CDORVView::DispatchCommand(const std::string& word, const std::string& argument) {
    const auto* entry = std::find_if(std::begin(kCommands), std::end(kCommands),
                                     [&](const auto& candidate) { return word == candidate.word; });
    if (entry == std::end(kCommands)) {
        // A page may send anything: the trace shows the start of it.
        Trace("host command %.200s ignored: unknown", word.c_str());
        return;
    }
    if (argument.empty()) {
        Trace("host command %s", word.c_str());
    } else {
        Trace("host command %s \"%.200s\"", word.c_str(), argument.c_str());
    }
    // Every word is named: the compiler reports a word left out.
    switch (entry->command) {
        case HostCommand::DisableMouse:
            m_services.page.SetInputEnabled(false);
            break;
        case HostCommand::EnableMouse:
            m_services.page.SetInputEnabled(true);
            break;
        case HostCommand::CheckDrives:
            m_learner.ListDrives();
            break;
        case HostCommand::Drive:
            m_learner.SelectDrive(argument);
            break;
        case HostCommand::User:
            m_learner.SelectLearner(argument);
            m_learner.LoadPosition();
            m_learner.LoadScores();
            break;
        case HostCommand::Create:
            m_learner.CreateLearnerFolder(argument);
            break;
        case HostCommand::Rename:
            m_learner.RenameLearner();
            break;
        case HostCommand::Delete:
            m_learner.DeleteLearnerFolder();
            break;
        case HostCommand::StartRegist:
            m_learner.SaveHistoryRecord();
            m_learner.SavePosition();
            break;
        case HostCommand::StartMain:
        case HostCommand::Log:
            m_learner.SaveHistoryRecord();
            break;
        case HostCommand::Test:
            m_learner.SaveScores();
            break;
        case HostCommand::OnLoad:
            SetElementContent("isApp", "1");
            break;
        case HostCommand::Quit:
            PostCloseRequest();
            break;
        case HostCommand::ForceQuit:
            PostCloseRequest();
            m_bForceQuit = 1;
            break;
    }
}

}  // namespace dorv
