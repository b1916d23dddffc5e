// The places and courses of the class records, and the reading of a place
// on several threads.
#include "records/ClassRecords.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include "common/Location.h"
#include "learner/LearnerStore.h"

namespace dorv {
namespace {

constexpr const char* kPlenaFolder = "PLENA";

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder.push_back('/');
    return folder;
}

// The last name of a path, trailing slashes aside.
std::string LastName(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    return trimmed.substr(trimmed.rfind('/') + 1);
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The names of the folders in `folder` (symbolic links followed), in the
// order of their shown names. False with `err` when it cannot be listed.
bool ListFolders(const std::string& folder, std::vector<std::string>& names, int& err) {
    names.clear();
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir) {
        err = errno;
        return false;
    }
    std::vector<std::pair<std::string, std::string>> found;  // shown, on disk
    while (const dirent* entry = readdir(dir.get())) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        bool folderEntry = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) folderEntry = IsFolder(folder + name);
        if (folderEntry) found.emplace_back(ShownName(name), std::move(name));
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return NameLess(a.first, b.first) || (!NameLess(b.first, a.first) && a.second < b.second);
    });
    for (auto& [shown, name] : found) names.push_back(std::move(name));
    return true;
}

// A course data folder: some folder in it holds a history.
bool HoldsLearners(const std::string& folder) {
    std::vector<std::string> names;
    int err = 0;
    if (!ListFolders(folder, names, err)) return false;
    return std::any_of(names.begin(), names.end(), [&](const std::string& name) {
        return IsFile(folder + name + "/" + CLearnerStore::kHistoryFileName);
    });
}

std::string Problem(const std::string& path, int err) { return path + ": " + std::strerror(err); }

// The course's title and learner folders, their summaries still to be read.
CourseSummary ListCourse(const std::string& folder) {
    CourseSummary course;
    course.folder = WithSlash(folder);
    course.folderName = LastName(folder);
    if (course.folderName.empty() || course.folderName == "." || course.folderName == "..") {
        char real[PATH_MAX];
        if (realpath(folder.c_str(), real)) course.folderName = LastName(real);
    }
    course.title = ShownName(course.folderName);
    std::vector<std::string> names;
    int err = 0;
    if (!ListFolders(course.folder, names, err)) {
        course.problem = Problem(course.folder, err);
        return course;
    }
    course.learners.resize(names.size());
    for (size_t i = 0; i < names.size(); ++i) course.learners[i].folder = course.folder + names[i] + "/";
    return course;
}

// The learners in the order of their names, and the class's figures.
void FinishCourse(CourseSummary& course) {
    std::stable_sort(course.learners.begin(), course.learners.end(),
                     [](const LearnerSummary& a, const LearnerSummary& b) { return NameLess(a.name, b.name); });
    course.weekly = ClassWeekly(course.learners);
    course.damage.clear();
    for (const LearnerSummary& learner : course.learners) {
        course.damage.insert(course.damage.end(), learner.damage.begin(), learner.damage.end());
    }
}

}  // namespace

bool FindCourseDataFolders(const std::string& place, std::vector<std::string>& folders, std::string& problem) {
    folders.clear();
    problem.clear();
    std::string root = WithSlash(place);
    std::vector<std::string> names;
    int err = 0;
    if (!ListFolders(root, names, err)) {
        problem = Problem(place, err);
        return false;
    }
    if (EqualsIgnoringAsciiCase(LastName(place), kPlenaFolder)) {
        for (const std::string& name : names) folders.push_back(root + name + "/");
        return true;
    }
    bool plena = false;
    for (const std::string& name : names) {
        if (!EqualsIgnoringAsciiCase(name, kPlenaFolder)) continue;
        plena = true;
        std::string plenaFolder = root + name + "/";
        std::vector<std::string> courses;
        if (!ListFolders(plenaFolder, courses, err)) {
            problem = Problem(root + name, err);
            return false;
        }
        for (const std::string& course : courses) folders.push_back(plenaFolder + course + "/");
    }
    if (!plena && HoldsLearners(root)) folders.push_back(root);
    return true;
}

std::map<CivilDay, long long> ClassWeekly(const std::vector<LearnerSummary>& learners) {
    std::map<CivilDay, long long> weekly;
    for (const LearnerSummary& learner : learners) {
        for (const auto& [week, seconds] : learner.weekly) weekly[week] += seconds;
    }
    return weekly;
}

CourseSummary ReadCourse(const std::string& folder, const std::atomic<bool>* cancel) {
    CourseSummary course = ListCourse(folder);
    for (LearnerSummary& learner : course.learners) {
        if (cancel && cancel->load()) break;
        learner = SummariseLearner(learner.folder, cancel);
    }
    FinishCourse(course);
    return course;
}

PlaceRecords ReadPlace(const std::string& place, const ReadPlaceOptions& options) {
    PlaceRecords result;
    result.place = place;
    std::vector<std::string> folders;
    if (!FindCourseDataFolders(place, folders, result.problem)) return result;

    // Every learner of every course is one piece of work.
    std::vector<LearnerSummary*> work;
    for (const std::string& folder : folders) result.courses.push_back(ListCourse(folder));
    for (CourseSummary& course : result.courses) {
        for (LearnerSummary& learner : course.learners) work.push_back(&learner);
    }
    const size_t found = work.size();
    if (options.progress) options.progress(0, found);

    std::atomic<size_t> next{0};
    std::atomic<size_t> done{0};
    std::mutex failureLock;
    std::exception_ptr failure;
    auto cancelled = [&] { return options.cancel && options.cancel->load(); };
    auto worker = [&] {
        try {
            for (size_t i = next++; i < found && !cancelled(); i = next++) {
                *work[i] = SummariseLearner(work[i]->folder, options.cancel);
                size_t now = ++done;
                if (options.progress) options.progress(now, found);
            }
        } catch (...) {
            std::lock_guard<std::mutex> hold(failureLock);
            if (!failure) failure = std::current_exception();
            next = found;  // the others stop too
        }
    };
    unsigned threads = options.threads ? options.threads : std::max(1u, std::thread::hardware_concurrency());
    threads = static_cast<unsigned>(std::min<size_t>(threads, std::max<size_t>(found, 1)));
    std::vector<std::thread> helpers;
    for (unsigned i = 1; i < threads; ++i) helpers.emplace_back(worker);
    worker();
    for (std::thread& helper : helpers) helper.join();
    if (failure) std::rethrow_exception(failure);

    result.cancelled = cancelled();
    for (CourseSummary& course : result.courses) FinishCourse(course);
    return result;
}

}  // namespace dorv
