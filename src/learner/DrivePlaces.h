// Which places are drives and which letters they take: the rules, apart from
// how the platform finds its mounts. "C" is the user's own space; the
// places that DORV.ini's "Drives" section names take their own letters;
// removable media and network places that were found take "D" to "Z" in the
// order of their folders.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "learner/DriveList.h"

namespace dorv {

// One "Drives" value ("<folder>,<type>", the type one of removable, remote
// or fixed, any case; without a comma removable) as a place; type None when
// it names none.
DrivePlace ParseDriveSetting(char letter, const std::string& value);

// What a mount of the desktop's volume monitor is as a drive. Only places
// that behave as local files count: a network share with a local path (smb,
// sftp, dav, ftp, afp, nfs) is remote; a local mount on removable media is
// removable, unless it is a media player's; anything else (a phone or a
// camera by MTP or PTP, an archive, a network mount without a local path)
// is none.
DriveType ClassifyMonitorMount(const std::string& scheme, bool hasLocalPath, bool removable, bool mediaPlayer);

// Where the desktop mounts removable media for `user`.
bool IsUserMediaFolder(const std::string& path, const std::string& user);

// The letters: C for `home`, the configured places at theirs, then each
// place found (in the order given) at the next free letter from D, unless
// its folder has a letter already; places beyond Z have none.
std::map<char, DrivePlace> AssignDriveLetters(const std::string& home, const std::map<char, DrivePlace>& configured,
                                              const std::vector<DrivePlace>& found);

// The folder that holds a drive's PLENA folder, where the program keeps the
// learners' data of the drive: the place's own folder for removable media
// and network places; for a fixed drive the user's documents folder, unless
// the deployment named the place (or the documents folder cannot be
// located), then its own folder. "" when the letter stands for nothing.
std::string DataRootOf(const DrivePlace& place, IDriveList& drives);

// The type's name as the page shows it, in Japanese or in English.
std::string DriveTypeName(DriveType type, bool japanese);

}  // namespace dorv
