// Reading a learner's history file (HISTORY.DAT) for the class records: the
// 85-byte header, then one record a line, each the text the course page
// gave, in code page 932. The file is read in chunks as it stands, with no
// lock of any kind and never written: a copy of the program may be
// appending to it at the same time.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace dorv {

// The columns of a record, in the order of the header.
constexpr size_t kHistoryColumns = 11;
constexpr size_t kStartDateColumn = 6;
constexpr size_t kTotalTimeColumn = 10;
extern const std::array<const char*, kHistoryColumns> kHistoryColumnNames;

// How much is read at a time, and the longest line that is kept whole: the
// rest of a longer one is skipped (no page writes such a line, so it is
// unreadable in any case).
constexpr size_t kHistoryChunkBytes = 1 << 20;
constexpr size_t kMaxHistoryLineBytes = 64 * 1024;

enum class HistoryState {
    Ok,           // read to its end
    Missing,      // no history file
    Empty,        // an empty file: the program writes the header at the next record
    WrongHeader,  // the first 85 bytes are not the header: no record is read
    Unreadable,   // it cannot be opened or read, or is no regular file
};

// One line after the header, as it is read.
struct HistoryLine {
    long long number = 0;   // in the file; the header is line 1
    std::string_view text;  // its bytes without the line end (a CR before the LF is dropped)
    bool cut = false;       // longer than kMaxHistoryLineBytes: `text` is its start
    // A record: exactly eleven columns (split at every comma). A line with
    // any other number of columns is unreadable.
    bool record = false;
    std::array<std::string_view, kHistoryColumns> columns;  // when `record`
};

struct HistoryReadResult {
    HistoryState state = HistoryState::Missing;
    std::string error;  // Unreadable: why, as the system says it
    bool cancelled = false;
};

// Reads the history file at `path` and hands each line after the header to
// `onLine`, in order; empty lines are skipped. A last line without its line
// end (a record half appended while it was read) is handed on like any other.
// A read that fails part way leaves the lines handed on so far, and the
// state Unreadable. Stops between two chunks when `cancel` is set.
HistoryReadResult ReadHistory(const std::string& path, const std::function<void(const HistoryLine&)>& onLine,
                              const std::atomic<bool>* cancel = nullptr);

// The state as the class records show it, in Japanese or in English.
std::string HistoryStateText(HistoryState state, bool japanese);

}  // namespace dorv
