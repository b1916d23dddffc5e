// The drive letters on Linux. "C" is the user's own space (its learner data
// goes to the documents folder of the XDG user directories, or the home
// folder). Removable media that the desktop mounted and network file systems
// take "D" to "Z" in the order of their mount points; the places that
// DORV.ini's "Drives" section names take their own letters instead.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "learner/DriveList.h"

namespace dorv {

class GioDriveList : public IDriveList {
public:
    // `configured`: the "Drives" section, letter and value ("<folder>,<type>",
    // the type one of removable, remote or fixed).
    explicit GioDriveList(const std::vector<std::pair<char, std::string>>& configured);

    std::vector<DrivePlace> BuildList() override;
    DrivePlace Find(char letter) override;
    bool GetDocumentsFolder(std::string& folder) override;
    std::string TypeName(DriveType type) const override;

private:
    std::vector<DrivePlace> Discover() const;

    std::map<char, DrivePlace> m_configured;
    std::map<char, DrivePlace> m_last;
    bool m_built = false;
};

// One "Drives" value as a place; type None when it names none.
DrivePlace ParseDriveSetting(char letter, const std::string& value);

}  // namespace dorv
