// Work on many threads, results in the order the work came in: the reader hands numbered
// chunks to the pool, worker threads handle them in any order, and one delivery thread
// receives them in sequence.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tavorin {

template <class Chunk>
class OrderedPool {
  public:
    using Work = std::function<void(Chunk&)>;
    // Returns false to stop: later chunks are then neither worked on nor delivered.
    using Delivery = std::function<bool(Chunk&)>;

    // `workers` threads run `work`; at most `inFlight` chunks are held at once, so that a
    // fast reader never runs far ahead of a slow output.
    // With no workers the pool runs each chunk and delivers it inside submit(), on the
    // caller's thread, and starts no thread at all.
    OrderedPool(unsigned workers, std::size_t inFlight, Work work, Delivery deliver)
        : m_work(std::move(work)), m_deliver(std::move(deliver)), m_limit(inFlight) {
        if (workers == 0) return;
        m_threads.reserve(workers + 1);
        for (unsigned i = 0; i < workers; ++i) m_threads.emplace_back([this] { workLoop(); });
        m_threads.emplace_back([this] { deliveryLoop(); });
    }

    OrderedPool(const OrderedPool&) = delete;
    OrderedPool& operator=(const OrderedPool&) = delete;

    ~OrderedPool() { finish(); }

    // Queues the next chunk; waits while too many are held. False once delivery stopped.
    bool submit(std::unique_ptr<Chunk> chunk) {
        if (m_threads.empty()) {
            if (m_stopped) return false;
            m_work(*chunk);
            if (!m_deliver(*chunk)) m_stopped = true;
            return !m_stopped;
        }
        std::unique_lock lock(m_mutex);
        m_roomFreed.wait(lock, [this] { return m_held < m_limit || m_stopped; });
        if (m_stopped) return false;
        ++m_held;
        m_queue.emplace_back(m_submitted++, std::move(chunk));
        m_workQueued.notify_one();
        return true;
    }

    // Delivers everything submitted and ends the threads. False when delivery stopped.
    bool finish() {
        {
            std::lock_guard lock(m_mutex);
            if (m_finishing) return !m_stopped;
            m_finishing = true;
        }
        m_workQueued.notify_all();
        m_chunkDone.notify_all();
        for (std::thread& t : m_threads) t.join();
        return !m_stopped;
    }

  private:
    void workLoop() {
        for (;;) {
            std::pair<std::size_t, std::unique_ptr<Chunk>> item;
            {
                std::unique_lock lock(m_mutex);
                m_workQueued.wait(lock, [this] { return !m_queue.empty() || m_finishing; });
                if (m_queue.empty()) return;
                item = std::move(m_queue.front());
                m_queue.pop_front();
            }
            const bool stopped = [&] {
                std::lock_guard lock(m_mutex);
                return m_stopped;
            }();
            if (!stopped) m_work(*item.second);
            std::lock_guard lock(m_mutex);
            m_done.emplace(item.first, std::move(item.second));
            m_chunkDone.notify_all();
        }
    }

    void deliveryLoop() {
        for (std::size_t next = 0;; ++next) {
            std::unique_ptr<Chunk> chunk;
            {
                std::unique_lock lock(m_mutex);
                m_chunkDone.wait(lock, [&] {
                    return m_done.count(next) != 0 || (m_finishing && next == m_submitted);
                });
                const auto it = m_done.find(next);
                if (it == m_done.end()) return;  // finishing, everything delivered
                chunk = std::move(it->second);
                m_done.erase(it);
            }
            const bool ok = !isStopped() && m_deliver(*chunk);
            chunk.reset();
            std::lock_guard lock(m_mutex);
            if (!ok) m_stopped = true;
            --m_held;
            m_roomFreed.notify_all();
        }
    }

    bool isStopped() {
        std::lock_guard lock(m_mutex);
        return m_stopped;
    }

    Work m_work;
    Delivery m_deliver;
    std::size_t m_limit;

    std::mutex m_mutex;
    std::condition_variable m_workQueued;
    std::condition_variable m_chunkDone;
    std::condition_variable m_roomFreed;
    std::deque<std::pair<std::size_t, std::unique_ptr<Chunk>>> m_queue;
    std::map<std::size_t, std::unique_ptr<Chunk>> m_done;
    std::size_t m_submitted = 0;
    std::size_t m_held = 0;
    bool m_finishing = false;
    bool m_stopped = false;
    std::vector<std::thread> m_threads;
};

}  // namespace tavorin
