// A place's class records read away from the window: on a thread of its own
// (which reads the learners on a few more), with its progress and its end
// told on the main loop, and a watch for a place that stops answering. The
// window never waits for it: giving it up (or destroying it) drops what it
// would still tell, and a thread caught in a hung share ends on its own.
#pragma once

#include <glib.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/system/DetachedWork.h"
#include "records/ClassRecords.h"

namespace dorv {

class RecordsReading {
public:
    // How long the place may stay silent, no learner read, before the
    // window says that it does not answer.
    static constexpr unsigned kSilenceMs = 10000;

    struct Listener {
        // Learners read and found so far; the first call comes once the
        // place is listed.
        std::function<void(size_t done, size_t found)> progress;
        // The place fell silent for the silence time (true), or answers
        // again after it did (false).
        std::function<void(bool silent)> silence;
        // The records, or `failure` saying why there are none; `ms` the
        // time the reading took.
        std::function<void(std::shared_ptr<const PlaceRecords> records, const std::string& failure, int64_t ms)>
            finished;
    };

    RecordsReading(const std::string& folder, Listener listener, unsigned silenceMs = kSilenceMs);
    ~RecordsReading();
    RecordsReading(const RecordsReading&) = delete;
    RecordsReading& operator=(const RecordsReading&) = delete;

private:
    struct Counts;
    static gboolean OnWatch(gpointer self);

    Listener m_listener;
    unsigned m_silenceMs;
    std::shared_ptr<Counts> m_counts;
    std::shared_ptr<PlaceRecords> m_records;
    std::unique_ptr<DetachedWork> m_work;
    int64_t m_startUs;
    guint m_watch = 0;
    bool m_silent = false;
};

}  // namespace dorv
