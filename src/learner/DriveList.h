// The places that stand for drive letters: "C" is the user's own space; the
// removable media and network shares that are mounted, and the places a
// deployment names itself, take other letters.
#pragma once

#include <string>
#include <vector>

namespace dorv {

enum class DriveType { None, Removable, Fixed, Remote };

struct DrivePlace {
    char letter = 0;                   // "A" to "Z"
    DriveType type = DriveType::None;  // None: the letter stands for nothing
    std::string root;                  // the place's folder
    bool writable = false;             // mounted read-write and writable by the user
    bool system = false;               // the user's own space, "C"
    bool configured = false;           // named by the deployment, not found
};

class IDriveList {
public:
    virtual ~IDriveList() = default;
    // Builds the list anew from the places there are now, in letter order.
    virtual std::vector<DrivePlace> BuildList() = 0;
    // The place `letter` stands for in the last list built (a list is built
    // first when there is none yet); type None when it stands for nothing.
    virtual DrivePlace Find(char letter) = 0;
    // The user's documents folder, where a fixed drive's learner data goes
    // (a place the deployment named keeps its own folder); false when it
    // cannot be located.
    virtual bool GetDocumentsFolder(std::string& folder) = 0;
    // The type's name in the user's language.
    virtual std::string TypeName(DriveType type) const = 0;
};

}  // namespace dorv
