// A CSV file that common spreadsheets open without asking: UTF-8 with a
// byte-order mark, CRLF line ends, fields quoted as RFC 4180 says. The file
// is written whole or not at all: the rows go to a temporary file beside it,
// which takes its place once everything is on the disk.
#pragma once

#include <string>
#include <string_view>

namespace dorv {

// `text` as one field: in quotes, with each quote doubled, when it holds a
// comma, a quote, a CR or an LF; otherwise as it is.
std::string CsvField(std::string_view text);

// `text` made safe to show in a spreadsheet: one that starts as a formula
// does ("=", "+", "-", "@", a tab or a CR) and is no plain number gets a
// leading apostrophe, so that a learner's name or a record's text is shown
// and never run.
std::string SpreadsheetText(std::string_view text);

class CCsvFile {
public:
    CCsvFile() = default;
    ~CCsvFile() { Abandon(); }
    CCsvFile(const CCsvFile&) = delete;
    CCsvFile& operator=(const CCsvFile&) = delete;

    // Starts writing `path` (its folder must exist). False with Error() set.
    bool Open(const std::string& path);
    // Adds a field to the current row (quoted as needed), and ends the row.
    void Field(std::string_view text);
    void EndRow();
    // Puts the file in its place: all rows written, flushed to the disk and
    // renamed over `path`. False with Error() set; the temporary file is
    // gone then, and `path` is as it was.
    bool Commit();
    // Removes the temporary file; `path` is as it was.
    void Abandon();

    // What failed, naming the file.
    const std::string& Error() const { return m_error; }

private:
    void Flush();
    bool Fail(int err);

    int m_fd = -1;
    std::string m_path;
    std::string m_temporary;
    std::string m_buffer;
    bool m_rowStarted = false;
    int m_err = 0;
    std::string m_error;
};

}  // namespace dorv
