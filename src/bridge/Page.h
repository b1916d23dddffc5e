// What the view needs of the web engine that shows the course's page. All
// calls act on the top-level document and are synchronous to the caller.
#pragma once

#include <string>
#include <vector>

namespace dorv {

class IPage {
public:
    virtual ~IPage() = default;

    virtual void Navigate(const std::string& uri) = 0;
    // The address of the document now shown; "" before the first.
    virtual std::string CurrentUri() const = 0;
    virtual void Reload() = 0;
    // Ends the engine's process that runs the page (calls waiting on it give
    // up) and loads the page again.
    virtual void RestartProcess() = 0;

    // Calls the page's global function `name` with string arguments. True
    // when the function exists and returned without throwing; `result`, when
    // given, then receives its value as text (undefined and null as "").
    virtual bool CallFunction(const std::string& name, const std::vector<std::string>& args, std::string* result) = 0;
    // Calls the page's poll function `name`, without arguments, as
    // CallFunction does; for the course's pages through a way the engine
    // prepared for it that costs the page less.
    virtual bool Poll(const std::string& name, std::string* result) = 0;

    // Writes `html` into every element whose id is exactly `id`; true when at
    // least one write succeeded.
    virtual bool SetElementContent(const std::string& id, const std::string& html) = 0;

    // An insensitive page takes neither clicks nor keys.
    virtual void SetInputEnabled(bool enabled) = 0;
    virtual bool IsInputEnabled() const = 0;

    // True while the page shows one of its own dialogs (alert, confirm,
    // prompt): its script is stopped until the learner answers.
    // Also true while the page's print dialog is open.
    virtual bool IsShowingDialog() const = 0;
    // True while the page's print dialog is open. It runs a modal loop of
    // its own that a page call started meanwhile would hold up: none is.
    virtual bool IsPrinting() const = 0;

    // Developer tools and the engine's context menu, for course authors.
    virtual void EnableDeveloperTools() = 0;
};

// Events of the page, delivered by the engine.
class IPageEvents {
public:
    virtual ~IPageEvents() = default;
    // A document of the top-level frame has finished loading.
    virtual void OnDocumentComplete() = 0;
    // The engine's process that ran the page has ended.
    virtual void OnPageProcessEnded(const std::string& reason) = 0;
    // A page call went unanswered for too long: the page's script is stuck.
    virtual void OnPageNotResponding() = 0;
    // The page's print dialog has been answered.
    virtual void OnPrintDialogClosed() = 0;
};

}  // namespace dorv
