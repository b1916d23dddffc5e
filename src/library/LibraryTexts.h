// The texts of the library's window, in Japanese or in English.
#pragma once

#include <string>
#include <vector>

#include "library/CourseList.h"
#include "library/LibraryPlaces.h"

namespace dorv {

class CLibraryTexts {
public:
    explicit CLibraryTexts(bool japanese) : m_japanese(japanese) {}

    bool IsJapanese() const { return m_japanese; }

    std::string Title() const;
    std::string SearchButton() const;  // the search toggle, for screen readers
    std::string SearchPlaceholder() const;
    std::string StartButton(bool running) const;
    // The start button of course `name`, for screen readers.
    std::string StartButtonLabel(const std::string& name, bool running) const;
    std::string RecordsButton() const;  // with its mnemonic
    std::string RecordsButtonLabel() const;
    std::string ListLabel() const;

    std::string PlaceKindName(PlaceKind kind) const;
    // Where the course lies: the kind of place and its folder.
    std::string PlaceLine(const CourseEntry& entry) const;
    // The course's state in a line: being checked, running, why it will not
    // start, or what in it will not work; "" when there is nothing to say.
    std::string StatusLine(const CourseEntry& entry, bool running) const;
    // The findings of the check of its files, shortly; "" for none.
    std::string FindingsNote(const CourseEntry& entry) const;
    // The row of the course, for screen readers: its name and its state.
    std::string RowLabel(const CourseEntry& entry, bool running) const;

    std::string SearchingText() const;
    std::string EmptyTitle() const;
    // Where courses are looked for, for an empty library.
    std::string EmptyText(const std::vector<CoursePlace>& places) const;
    std::string NoMatch(const std::string& query) const;
    std::string StartFailedTitle() const;
    std::string StartFailed(const std::string& name, const std::string& error) const;

private:
    const char* Pick(const char* japanese, const char* english) const { return m_japanese ? japanese : english; }

    bool m_japanese;
};

}  // namespace dorv
