// What keeps the view busy: work under way that deferred work (a close
// request, a poll owed to a tick) must not run in the middle of. Each kind
// counts how many are under way, since they nest (a message box inside a
// poll lets a later tick poll again, a page call waits inside a poll).
#pragma once

#include <array>
#include <cstddef>

namespace dorv {

class CViewBusy {
public:
    enum class Reason {
        Waiting,  // a page call or file work waits for its answer
        Polling,  // a poll carries out its host commands
        Message,  // a message box or the quit dialog of the view is open
    };

    void Enter(Reason reason) { ++m_counts[Index(reason)]; }
    void Leave(Reason reason) { --m_counts[Index(reason)]; }
    bool Is(Reason reason) const { return m_counts[Index(reason)] > 0; }
    bool Any() const { return Is(Reason::Waiting) || Is(Reason::Polling) || Is(Reason::Message); }

private:
    static std::size_t Index(Reason reason) { return static_cast<std::size_t>(reason); }
    std::array<int, 3> m_counts{};
};

}  // namespace dorv
