// How copies of the program on several machines share a place's learner
// files where file locks do not reach from one machine to another (network
// shares through FUSE clients, NFS without a lock manager):
// - a replace writes a temporary file whose name says which copy wrote it,
//   so that no copy ever removes or renames over another's temporary file;
// - a lock file beside a learner's files names the copy that has the
//   learner, refreshed while it runs, as office programs do on shares;
// - a short-lived lock file guards each history append.
// These are the rules; the file store does the file work.
#pragma once

#include <optional>
#include <string>

namespace dorv {

// One copy of the program: its machine (the name, and this start of it) and
// its process.
struct CopyId {
    std::string host;  // letters, digits and "-" only
    std::string boot;  // 8 hex digits, new with every start of the machine
    long pid = 0;

    bool OnSameMachine(const CopyId& other) const { return host == other.host && boot == other.boot; }
    bool operator==(const CopyId&) const = default;
};

// The machine's name as file names carry it: letters, digits and "-", the
// rest as "-", at most 24 characters; "host" when nothing is left.
std::string HostNameForFiles(const std::string& name);

// The temporary file of a replace of `path` by `self`:
// "<path>.<host>.<boot>.<pid>.new".
std::string TemporaryName(const std::string& path, const CopyId& self);
// Where a replace by `self` puts the old file while the new one is renamed
// into place, on clients that cannot rename over a file in one step:
// "<path>.<host>.<boot>.<pid>.old".
std::string OldCopyName(const std::string& path, const CopyId& self);

// What an interrupted replace of the file `file` may have left in its folder.
struct Leftover {
    // "<file>.new", written by earlier versions, which named no copy.
    bool unnamed = false;
    CopyId owner;
    // The old file put aside (".old"), rather than a new one (".new"): where
    // the file itself is missing, it is what the file held.
    bool oldCopy = false;
};
// The leftover that the folder entry `name` is, if it is one of `file`.
std::optional<Leftover> ParseLeftover(const std::string& name, const std::string& file);

// A temporary file of another machine, or of an earlier version, lives for
// the moment of a save: one untouched for an hour is surely abandoned.
constexpr long long kAbandonedAfterSeconds = 3600;

// Whether the copy that wrote the leftover is surely gone, so that the
// leftover may go: one of this machine whose process no longer runs (or this
// copy's own), one of another machine (or an earlier start of this one)
// untouched for kAbandonedAfterSeconds. `ownerRunning` tells, for one of
// this machine, whether a process of its number runs; `ageSeconds` is the
// time since it last changed.
bool IsLeftoverAbandoned(const Leftover& leftover, const CopyId& self, bool ownerRunning, long long ageSeconds);

// The learner's lock file, in the learner folder, and the history's, beside
// the history file.
constexpr const char* kLearnerLockName = ".~lock.DORV#";
constexpr const char* kHistoryLockName = ".~lock.HISTORY.DAT#";

// The content of a lock file: "<host> <boot> <pid>\n".
std::string LockText(const CopyId& copy);
std::optional<CopyId> ParseLockText(const std::string& text);

// The holder of a learner rewrites its lock file this often; another
// machine's lock that has not changed for kLearnerLockStaleSeconds belongs to
// a copy that is gone (a minute and a half of difference between the
// machines' clocks is tolerated).
constexpr unsigned kLearnerLockRefreshSeconds = 30;
constexpr long long kLearnerLockStaleSeconds = 120;

// Whether the copy named in a learner's lock file still has the learner: a
// copy of this machine while its process runs, another machine's while its
// lock is fresh. A lock that names nobody readable counts as fresh until it
// is stale.
bool IsHolderPresent(const std::optional<CopyId>& holder, const CopyId& self, bool holderRunning, long long ageSeconds);

// How long an append waits for the history's lock held by another copy, and
// after how long a lock that has not changed belongs to a copy that is gone
// (an append takes milliseconds; a save gives up after 10 s).
constexpr unsigned kHistoryLockWaitMs = 3000;
constexpr long long kHistoryLockStaleSeconds = 30;

// Whether a history lock that outlasted the wait may be taken over: its
// holder is a copy of this machine that no longer runs, or it is older than
// kHistoryLockStaleSeconds.
bool MayTakeOverHistoryLock(const std::optional<CopyId>& holder, const CopyId& self, bool holderRunning,
                            long long ageSeconds);

}  // namespace dorv
