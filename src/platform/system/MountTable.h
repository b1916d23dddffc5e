// The mount that holds a path, from the process's mount table, and what
// this machine and this copy of the program are.
#pragma once

#include <string>

#include "learner/SharedFiles.h"

namespace dorv {

struct MountOf {
    std::string type;   // as the mount table gives it: "ext4", "fuse.sshfs" …
    std::string point;  // the mount point
    std::string below;  // the first folder name of the path below the mount point
};

// The mount of `path` (links followed; a path that does not exist yet is
// looked for by its nearest existing folder). `table` is the mount table's
// text (/proc/self/mountinfo). An empty type when none is found.
MountOf FindMount(const std::string& path, const std::string& table);
MountOf FindMount(const std::string& path);

// This copy: the machine's name, this start of the machine, the process.
CopyId ThisCopy();
// Whether a process of that number runs on this machine (one of another
// user counts).
bool IsProcessRunning(long pid);

}  // namespace dorv
