// The class records of a large class: a place with 2,000 learners of 2,000
// history records each (about 350 MB; dates over a school year in the forms
// the pages write, total times as seconds, h:mm:ss and m:ss, some learner
// names in code page 932, a few broken lines). Reads the place once so that
// its files are in the system's cache, then once more timed, and prints the
// time, the records read each second and the peak memory. Fails unless the
// figures read are those written.
//
//   records_bench [FOLDER] [LEARNERS] [RECORDS]   (FOLDER: where the scratch place goes)
#include <stdlib.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "common/TextEncoding.h"
#include "learner/LearnerStore.h"
#include "records/ClassRecords.h"

namespace {

namespace fs = std::filesystem;

constexpr int kBrokenEvery = 100;  // every hundredth learner has one broken line

struct Expected {
    long long sessions = 0;
    long long seconds = 0;
    long long unreadable = 0;
    long long bytes = 0;
};

std::string LearnerName(int learner) {
    char name[32];
    if (learner % 5 == 0) {
        std::snprintf(name, sizeof name, "生徒%04d", learner);
        return *dorv::Utf8ToCp932(name);
    }
    std::snprintf(name, sizeof name, "student%04d", learner);
    return name;
}

std::string DateText(dorv::CivilDay day, int form) {
    std::string text = dorv::FormatDay(day);  // YYYY-MM-DD
    if (form == 0) return text;
    int year = std::stoi(text.substr(0, 4));
    int month = std::stoi(text.substr(5, 2));
    int dayOfMonth = std::stoi(text.substr(8, 2));
    char out[16];
    if (form == 1) {
        std::snprintf(out, sizeof out, "%04d/%02d/%02d", year, month, dayOfMonth);
    } else {
        std::snprintf(out, sizeof out, "%04d/%d/%d", year, month, dayOfMonth);
    }
    return out;
}

std::string TotalText(long long seconds, int form) {
    char out[24];
    if (form == 0) {
        std::snprintf(out, sizeof out, "%lld", seconds);
    } else if (form == 1) {
        std::snprintf(out, sizeof out, "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    } else {
        std::snprintf(out, sizeof out, "%lld:%02lld", seconds / 60, seconds % 60);
    }
    return out;
}

// One learner's history, as a course page would have written it over a
// school year.
std::string History(int learner, int records, Expected& e) {
    std::string text(dorv::CLearnerStore::kHistoryHeader, dorv::CLearnerStore::kHistoryHeaderSize);
    text.reserve(static_cast<size_t>(records) * 90 + 200);
    const dorv::CivilDay start = dorv::DayFromDate(2025, 4, 7);
    char line[160];
    for (int i = 0; i < records; ++i) {
        dorv::CivilDay day =
            start + static_cast<dorv::CivilDay>(static_cast<long long>(i) * 330 / records) + learner % 3;
        long long seconds = 30 + (static_cast<long long>(i) * 7919 + static_cast<long long>(learner) * 31) % 3570;
        int form = (i + learner) % 3;
        std::string date = DateText(day, form);
        int minute = 5 + i % 50;
        std::snprintf(line, sizeof line,
                      "ENGLISH-COMMUNICATION-I-CLASS-A,%d,%d,%d,%d,%d,%s,%02d:%02d:%02d,%s,%02d:%02d:%02d,%s\n",
                      1 + i * 20 / records, 1 + i % 8, 1 + i % 5, 1 + i % 3, 1 + i % 4, date.c_str(), 9 + i % 8, minute,
                      i % 60, date.c_str(), 10 + i % 8, minute, i % 60, TotalText(seconds, form).c_str());
        text += line;
        e.sessions += 1;
        e.seconds += seconds;
        if (learner % kBrokenEvery == 0 && i == records / 2) {
            text += "ENGLISH-COMMUNICATION-I-CLASS-A,1,1,1,1,2025/04/07,09:00:00,2025/04/07,09:10:00,600\n";
            e.unreadable += 1;
        }
    }
    e.bytes += static_cast<long long>(text.size());
    return text;
}

void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary);
    file << bytes;
    if (!file.flush()) {
        std::fprintf(stderr, "FAILED: cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The processor time of the whole process so far (all threads, user and
// system): the figure that other work on a shared machine does not change.
double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

int main(int argc, char** argv) {
    std::string base = argc > 1 ? argv[1] : fs::temp_directory_path().string();
    int learners = argc > 2 ? std::atoi(argv[2]) : 2000;
    int records = argc > 3 ? std::atoi(argv[3]) : 2000;
    if (learners <= 0 || records <= 0) {
        std::fprintf(stderr, "usage: records_bench [FOLDER] [LEARNERS] [RECORDS]\n");
        return 2;
    }
    std::string pattern = base + "/dorv-records-bench-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        std::fprintf(stderr, "FAILED: cannot make a folder in %s\n", base.c_str());
        return 1;
    }
    fs::path place = pattern;
    Expected e;
    auto made = std::chrono::steady_clock::now();
    for (int learner = 0; learner < learners; ++learner) {
        fs::path folder = place / "PLENA" / "BENCH" / LearnerName(learner);
        fs::create_directories(folder);
        Write(folder / "HISTORY.DAT", History(learner, records, e));
        Write(folder / "TASK.DAT", "1,1,1");
    }
    std::printf("place: %d learners x %d records, %.1f MB, written in %.1f s\n", learners, records,
                static_cast<double>(e.bytes) / 1e6, Seconds(made));

    dorv::PlaceRecords warm = dorv::ReadPlace(place.string());
    double cpuBefore = CpuSeconds();
    auto started = std::chrono::steady_clock::now();
    dorv::PlaceRecords read = dorv::ReadPlace(place.string());
    double elapsed = Seconds(started);
    double cpu = CpuSeconds() - cpuBefore;

    Expected got;
    size_t found = 0;
    bool named = false;
    for (const dorv::CourseSummary& course : read.courses) {
        for (const dorv::LearnerSummary& learner : course.learners) {
            ++found;
            got.sessions += learner.sessions;
            got.seconds += learner.totalSeconds;
            got.unreadable += learner.unreadableRecords + learner.unreadableValues;
            if (learner.name == "生徒0005") named = true;
        }
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf(
        "read: %.2f s on %u threads (%.2f s of processor time), %.0f records/s, %.0f MB/s; peak memory %.1f MB\n",
        elapsed, std::thread::hardware_concurrency(), cpu, static_cast<double>(got.sessions) / elapsed,
        static_cast<double>(e.bytes) / 1e6 / elapsed, static_cast<double>(usage.ru_maxrss) / 1024.0);
    std::printf("read: %lld sessions, %lld seconds studied, %lld unreadable lines\n", got.sessions, got.seconds,
                got.unreadable);

    std::error_code ignored;
    fs::remove_all(place, ignored);
    bool right = read.problem.empty() && !read.cancelled && read.courses.size() == 1 &&
                 found == static_cast<size_t>(learners) && got.sessions == e.sessions && got.seconds == e.seconds &&
                 got.unreadable == e.unreadable && named && warm.courses.size() == 1;
    if (!right) {
        std::fprintf(stderr, "FAILED: expected %d learners, %lld sessions, %lld seconds, %lld unreadable lines\n",
                     learners, e.sessions, e.seconds, e.unreadable);
        return 1;
    }
    return 0;
}
