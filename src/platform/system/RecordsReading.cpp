#include "platform/system/RecordsReading.h"

#include <atomic>

namespace dorv {
namespace {

// How often the watch looks whether the place fell silent.
constexpr guint kWatchMs = 250;

}  // namespace

// The learners read and found, as the reading threads last told them. They
// tell from several threads at once, so a count only ever grows.
struct RecordsReading::Counts {
    std::atomic<size_t> done{0};
    std::atomic<size_t> found{0};

    void Raise(std::atomic<size_t>& count, size_t value) {
        size_t now = count.load();
        while (now < value && !count.compare_exchange_weak(now, value)) {
        }
    }
};

RecordsReading::RecordsReading(const std::string& folder, Listener listener, unsigned silenceMs)
    : m_listener(std::move(listener)),
      m_silenceMs(silenceMs),
      m_counts(std::make_shared<Counts>()),
      m_records(std::make_shared<PlaceRecords>()),
      m_startUs(g_get_monotonic_time()) {
    auto work = [folder, counts = m_counts, records = m_records](const std::atomic<bool>& cancel,
                                                                 const DetachedWork::Report& report) {
        ReadPlaceOptions options;
        options.cancel = &cancel;
        options.progress = [&](size_t done, size_t found) {
            counts->Raise(counts->found, found);
            counts->Raise(counts->done, done);
            report();
        };
        *records = ReadPlace(folder, options);
    };
    auto progressed = [this] {
        if (m_listener.progress) m_listener.progress(m_counts->done, m_counts->found);
    };
    auto finished = [this] {
        if (m_watch) g_source_remove(m_watch);
        m_watch = 0;
        int64_t ms = (g_get_monotonic_time() - m_startUs) / 1000;
        std::string failure = m_work->Failure();
        std::shared_ptr<const PlaceRecords> records;
        if (failure.empty()) records = m_records;
        // The listener may destroy this object.
        auto done = m_listener.finished;
        if (done) done(records, failure, ms);
    };
    m_work = std::make_unique<DetachedWork>(std::move(work), std::move(progressed), std::move(finished));
    m_watch = g_timeout_add(kWatchMs, OnWatch, this);
}

RecordsReading::~RecordsReading() {
    if (m_watch) g_source_remove(m_watch);
    m_work->GiveUp();
}

gboolean RecordsReading::OnWatch(gpointer self) {
    auto* reading = static_cast<RecordsReading*>(self);
    bool silent = reading->m_work->QuietMs() >= static_cast<int64_t>(reading->m_silenceMs);
    if (silent != reading->m_silent) {
        reading->m_silent = silent;
        if (reading->m_listener.silence) reading->m_listener.silence(silent);
    }
    return G_SOURCE_CONTINUE;
}

}  // namespace dorv
