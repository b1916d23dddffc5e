// Where the learners' data of this course is kept. The course folder name
// comes from the course configuration at page start-up.
#pragma once

#include <string>

namespace dorv {

class CLearnerStore {
public:
    // Stores the name; the course data folder is not recomputed.
    void SetCourseFolderName(const std::string& name) { m_strCourseFolderName = name; }
    const std::string& GetCourseFolderName() const { return m_strCourseFolderName; }

private:
    std::string m_strCourseFolderName;
};

}  // namespace dorv
