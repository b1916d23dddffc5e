#include "library/CheckPlaces.h"

#include "learner/DrivePlaces.h"

namespace dorv {

CCheckPlaces::CCheckPlaces(const CDORVApp& app, std::string home, std::vector<DrivePlace> found, ShareLookup shares)
    : m_app(app), m_home(std::move(home)), m_found(std::move(found)), m_shares(std::move(shares)) {}

std::string CCheckPlaces::DriveRoot(char letter) {
    if (!m_assigned) {
        // As the course's drive list assigns them: its "Drives" section first.
        std::map<char, DrivePlace> configured;
        for (const auto& [configuredLetter, value] : m_app.m_configuredDrives) {
            DrivePlace place = ParseDriveSetting(configuredLetter, value);
            if (place.type != DriveType::None) configured[configuredLetter] = place;
        }
        m_letters = AssignDriveLetters(m_home, configured, m_found);
        m_assigned = true;
    }
    auto it = m_letters.find(letter);
    return it == m_letters.end() || it->second.type == DriveType::None ? std::string() : it->second.root;
}

std::string CCheckPlaces::ShareRoot(const std::string& server, const std::string& share) {
    return m_shares ? m_shares(server, share) : std::string();
}

std::vector<DrivePlace> FoundDrivePlaces(const std::vector<DrivePlace>& list) {
    std::vector<DrivePlace> found;
    for (const DrivePlace& place : list) {
        if (!place.system && !place.configured && place.type != DriveType::None) found.push_back(place);
    }
    return found;
}

std::vector<std::string> RemovableRoots(const std::vector<DrivePlace>& list) {
    std::vector<std::string> roots;
    for (const DrivePlace& place : FoundDrivePlaces(list)) {
        if (place.type == DriveType::Removable) roots.push_back(place.root);
    }
    return roots;
}

}  // namespace dorv
