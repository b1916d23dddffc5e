#include "learner/SharedFiles.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

namespace dorv {
namespace {

constexpr const char* kTemporarySuffix = ".new";
constexpr const char* kOldCopySuffix = ".old";
constexpr size_t kMaxHostLength = 24;

bool IsHostCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-'; }

bool IsBootId(const std::string& text) {
    if (text.size() != 8) return false;
    for (char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

// A process number: decimal digits, no sign, greater than 0.
std::optional<long> ParsePid(const std::string& text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    }
    long pid = std::strtol(text.c_str(), nullptr, 10);
    if (pid <= 0) return std::nullopt;
    return pid;
}

std::optional<CopyId> MakeCopyId(const std::string& host, const std::string& boot, const std::string& pid) {
    std::optional<long> number = ParsePid(pid);
    if (host.empty() || host.size() > kMaxHostLength || !IsBootId(boot) || !number) return std::nullopt;
    for (char c : host) {
        if (!IsHostCharacter(c)) return std::nullopt;
    }
    return CopyId{host, boot, *number};
}

}  // namespace

std::string HostNameForFiles(const std::string& name) {
    std::string host;
    for (char c : name.substr(0, name.find('.'))) {
        if (host.size() == kMaxHostLength) break;
        host += IsHostCharacter(c) ? c : '-';
    }
    return host.empty() ? "host" : host;
}

std::string TemporaryName(const std::string& path, const CopyId& self) {
    return path + "." + self.host + "." + self.boot + "." + std::to_string(self.pid) + kTemporarySuffix;
}

std::string OldCopyName(const std::string& path, const CopyId& self) {
    return path + "." + self.host + "." + self.boot + "." + std::to_string(self.pid) + kOldCopySuffix;
}

std::optional<Leftover> ParseLeftover(const std::string& name, const std::string& file) {
    auto endsWith = [&](const std::string& suffix) {
        return name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
    };
    const bool oldCopy = endsWith(kOldCopySuffix);
    const std::string suffix = oldCopy ? kOldCopySuffix : kTemporarySuffix;
    if (name.size() < file.size() + suffix.size() || name.compare(0, file.size(), file) != 0 || !endsWith(suffix)) {
        return std::nullopt;
    }
    if (name == file + kTemporarySuffix) return Leftover{true, {}, false};
    if (name[file.size()] != '.') return std::nullopt;
    // "<host>.<boot>.<pid>" between the file's name and ".new".
    std::string middle = name.substr(file.size() + 1, name.size() - file.size() - 1 - suffix.size());
    size_t pidDot = middle.rfind('.');
    if (pidDot == std::string::npos || pidDot == 0) return std::nullopt;
    size_t bootDot = middle.rfind('.', pidDot - 1);
    if (bootDot == std::string::npos) return std::nullopt;
    std::optional<CopyId> owner = MakeCopyId(
        middle.substr(0, bootDot), middle.substr(bootDot + 1, pidDot - bootDot - 1), middle.substr(pidDot + 1));
    if (!owner) return std::nullopt;
    return Leftover{false, *owner, oldCopy};
}

bool IsLeftoverAbandoned(const Leftover& leftover, const CopyId& self, bool ownerRunning, long long ageSeconds) {
    if (!leftover.unnamed && leftover.owner.OnSameMachine(self)) {
        return leftover.owner.pid == self.pid || !ownerRunning;
    }
    return ageSeconds >= kAbandonedAfterSeconds;
}

std::string LockText(const CopyId& copy) { return copy.host + " " + copy.boot + " " + std::to_string(copy.pid) + "\n"; }

std::optional<CopyId> ParseLockText(const std::string& text) {
    std::istringstream words(text);
    std::string host, boot, pid, rest;
    if (!(words >> host >> boot >> pid) || (words >> rest)) return std::nullopt;
    return MakeCopyId(host, boot, pid);
}

bool IsHolderPresent(const std::optional<CopyId>& holder, const CopyId& self, bool holderRunning,
                     long long ageSeconds) {
    if (holder && holder->OnSameMachine(self)) return holderRunning;
    return ageSeconds < kLearnerLockStaleSeconds;
}

bool MayTakeOverHistoryLock(const std::optional<CopyId>& holder, const CopyId& self, bool holderRunning,
                            long long ageSeconds) {
    if (holder && holder->OnSameMachine(self)) return holder->pid == self.pid || !holderRunning;
    return ageSeconds >= kHistoryLockStaleSeconds;
}

}  // namespace dorv
