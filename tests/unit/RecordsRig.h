// A scratch place for the class records' tests: learner folders written as
// the program and the course pages write them, with host text names.
#pragma once

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "common/TextEncoding.h"
#include "learner/LearnerStore.h"

namespace dorv::test {

namespace fs = std::filesystem;

inline const std::string kHeader(CLearnerStore::kHistoryHeader, CLearnerStore::kHistoryHeaderSize);

// Code page 932 bytes of a UTF-8 text, as folder names are on disk.
inline std::string Cp932(const std::string& utf8) { return *Utf8ToCp932(utf8); }

// A fresh folder, removed with everything in it afterwards.
class CScratchPlace {
public:
    CScratchPlace() {
        std::string pattern = (fs::temp_directory_path() / "dorv-records-XXXXXX").string();
        m_path = mkdtemp(pattern.data());
    }
    ~CScratchPlace() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    CScratchPlace(const CScratchPlace&) = delete;
    CScratchPlace& operator=(const CScratchPlace&) = delete;

    const fs::path& Path() const { return m_path; }
    std::string Folder(const std::string& relative = "") const { return (m_path / relative).string(); }

    std::string Write(const std::string& relative, const std::string& bytes) const {
        fs::path file = m_path / relative;
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
        return file.string();
    }

    // A learner folder "PLENA/<course>/<learner>/" whose history holds the
    // header and `records` (each written as given, line ends included).
    std::string Learner(const std::string& course, const std::string& learner, const std::string& records) const {
        std::string folder = "PLENA/" + course + "/" + learner + "/";
        Write(folder + "HISTORY.DAT", kHeader + records);
        return Folder(folder);
    }

private:
    fs::path m_path;
};

// One record line as a course page writes it.
inline std::string Record(const std::string& lecture, const std::string& unit, const std::string& day,
                          const std::string& total) {
    return "EN1," + lecture + "," + unit + ",1,1,1," + day + ",9:05:00," + day + ",9:17:34," + total + "\n";
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Every file and folder below `root` with its time of last change, to see
// that nothing was written.
inline std::map<std::string, long long> Listing(const fs::path& root) {
    std::map<std::string, long long> listing;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        struct stat info {};
        lstat(entry.path().c_str(), &info);
        listing[entry.path().string()] = info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec;
    }
    return listing;
}

}  // namespace dorv::test
