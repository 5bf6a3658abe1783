#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace mirel::core {

// Items 0..count-1 worked on ahead of their turn and taken in order by the thread that owns
// the run: a second thread (where the machine has two cores) works on the items ahead, at most
// `ahead` places beyond the one taken last, and the owning thread works on items too while it
// waits for one. Each item is worked on whole by one thread; work(index, result, lane) fills
// its result, lane 0 being the owning thread and lane 1 the second, so that each can keep
// state of its own. Whatever the work reads is shared, and must be read only.
template <typename Result>
class WorkAhead {
public:
    using Work = std::function<void(int index, Result& result, int lane)>;

    WorkAhead(int count, int ahead, bool twoThreads, Work work)
        : m_count(count)
        , m_ring(ahead)
        , m_slots(std::make_unique<Slot[]>(size_t(ahead)))
        , m_work(std::move(work)) {
        if (twoThreads && std::thread::hardware_concurrency() >= 2 && count > 1)
            m_second = std::thread([this] {
                for (;;) {
                    const int i = m_claim.fetch_add(1);
                    if (i >= m_count || !waitForPlace(i)) return;
                    workOn(i, 1);
                }
            });
    }
    ~WorkAhead() { stop(); }
    WorkAhead(const WorkAhead&) = delete;
    WorkAhead& operator=(const WorkAhead&) = delete;

    // Item i's result, worked on when it is not yet; valid until the next take. Items are
    // taken in order, each once.
    Result& take(int i) {
        if (i > 0) { // the item before is done with: its place may take another
            m_slots[size_t((i - 1) % m_ring)].ready.store(0);
            m_taken.store(i, std::memory_order_release);
            m_taken.notify_all();
        }
        Slot& slot = m_slots[size_t(i % m_ring)];
        for (;;) {
            if (slot.ready.load(std::memory_order_acquire)) return slot.result;
            int next = m_claim.load();
            while (next < i + m_ring && next < m_count &&
                   !m_claim.compare_exchange_weak(next, next + 1)) {
            }
            if (next < i + m_ring && next < m_count)
                workOn(next, 0);
            else
                slot.ready.wait(0, std::memory_order_acquire);
        }
    }
    // Whether item i (not taken yet) has been worked on; after stop(), the items finished while
    // the run was stopping.
    bool done(int i) const {
        const Slot& slot = m_slots[size_t(i % m_ring)];
        return slot.ready.load(std::memory_order_acquire) != 0 && slot.item == i;
    }
    // No item is begun from now on; the ones begun are finished.
    void stop() {
        m_stopping.store(true);
        m_taken.fetch_add(m_ring);
        m_taken.notify_all();
        if (m_second.joinable()) m_second.join();
    }

private:
    struct Slot {
        Result result;
        int item = -1; // the item whose result it holds
        std::atomic<int> ready{0};
    };

    // Item i has a place once the item `ahead` places before it is taken.
    bool waitForPlace(int i) {
        for (;;) {
            const int taken = m_taken.load(std::memory_order_acquire);
            if (m_stopping.load()) return false;
            if (i < taken + m_ring) return true;
            m_taken.wait(taken, std::memory_order_acquire);
        }
    }
    void workOn(int i, int lane) {
        Slot& slot = m_slots[size_t(i % m_ring)];
        m_work(i, slot.result, lane);
        slot.item = i;
        slot.ready.store(1, std::memory_order_release);
        slot.ready.notify_all();
    }

    const int m_count;
    const int m_ring;
    std::unique_ptr<Slot[]> m_slots;
    Work m_work;
    std::atomic<int> m_claim{0}; // the next item to work on
    std::atomic<int> m_taken{0}; // the items before this one are done with
    std::atomic<bool> m_stopping{false};
    std::thread m_second;
};

} // namespace mirel::core
