// Where the drive letters and network paths of a course's DORV.ini lead when
// the library checks the course: the drive letters as the course would
// give them (its own "Drives" section, then the drives found when the list
// was last built), the shares through a lookup the platform gives. The
// library's checks run on a worker thread: nothing here asks the desktop.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/DorvApp.h"
#include "learner/DriveList.h"

namespace dorv {

class CCheckPlaces : public ILocationPlaces {
public:
    using ShareLookup = std::function<std::string(const std::string& server, const std::string& share)>;

    // `found`: the removable media and network places found, in the order of
    // their folders (the user's own space and configured places left out).
    CCheckPlaces(const CDORVApp& app, std::string home, std::vector<DrivePlace> found, ShareLookup shares);

    std::string DriveRoot(char letter) override;
    std::string ShareRoot(const std::string& server, const std::string& share) override;

private:
    const CDORVApp& m_app;
    std::string m_home;
    std::vector<DrivePlace> m_found;
    ShareLookup m_shares;
    std::map<char, DrivePlace> m_letters;
    bool m_assigned = false;
};

// The places of a drive list built as the course would build it that were
// found rather than given: those to hand to CCheckPlaces.
std::vector<DrivePlace> FoundDrivePlaces(const std::vector<DrivePlace>& list);
// The roots of the removable media among them.
std::vector<std::string> RemovableRoots(const std::vector<DrivePlace>& list);

}  // namespace dorv
