// Work on many threads, results in the order the work came in: the reader hands numbered
// chunks to the pool, worker threads handle them in any order, and one delivery thread
// receives them in sequence.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace tavorin {

// Each worker thread owns one Scratch (default-constructed), handed to every call of the
// work on that thread: buffers used again from chunk to chunk. It lives on the worker's
// stack, not in a thread_local: MinGW's run-time frees a thread_local's storage before its
// destructor runs, and that destructor then writes into freed heap.
template <class Chunk, class Scratch>
class OrderedPool {
  public:
    using Work = std::function<void(Chunk&, Scratch&)>;
    // Returns false to stop: later chunks are then neither worked on nor delivered.
    using Delivery = std::function<bool(Chunk&)>;

    // `workers` threads (at least one) run `work`; at most `inFlight` chunks (at least one)
    // are held at once, so that a fast reader never runs far ahead of a slow output.
    OrderedPool(unsigned workers, std::size_t inFlight, Work work, Delivery deliver)
        : m_work(std::move(work)),
          m_deliver(std::move(deliver)),
          m_limit(std::max<std::size_t>(1, inFlight)) {
        workers = std::max(1u, workers);
        m_threads.reserve(workers + 1);
        try {
            for (unsigned i = 0; i < workers; ++i) m_threads.emplace_back([this] { workLoop(); });
            m_threads.emplace_back([this] { deliveryLoop(); });
        } catch (...) {
            finish();  // ends the threads already started
            throw;
        }
    }

    OrderedPool(const OrderedPool&) = delete;
    OrderedPool& operator=(const OrderedPool&) = delete;

    ~OrderedPool() {
        try {
            finish();
        } catch (...) {
            // What the work threw: finish() has already said it to a caller that asked.
        }
    }

    // Queues the next chunk; waits while too many are held. False once delivery stopped or
    // finish() was called: the chunk is then dropped.
    bool submit(std::unique_ptr<Chunk> chunk) {
        std::unique_lock lock(m_mutex);
        m_roomFreed.wait(lock, [this] { return m_held < m_limit || m_stopped || m_finishing; });
        if (m_stopped || m_finishing) return false;
        ++m_held;
        m_queue.emplace_back(m_submitted++, std::move(chunk));
        m_workQueued.notify_one();
        return true;
    }

    // Delivers everything submitted and ends the threads. False when delivery stopped.
    // Rethrows the first exception that escaped the work or the delivery (which stopped the
    // delivery of everything after it). Called from the thread that submits.
    bool finish() {
        {
            std::lock_guard lock(m_mutex);
            if (!m_finishing) {
                m_finishing = true;
                m_workQueued.notify_all();
                m_chunkDone.notify_all();
                m_roomFreed.notify_all();
            }
        }
        for (std::thread& t : m_threads) {
            if (t.joinable()) t.join();
        }
        std::lock_guard lock(m_mutex);
        if (m_thrown) std::rethrow_exception(std::exchange(m_thrown, nullptr));
        return !m_stopped;
    }

  private:
    void workLoop() {
        Scratch scratch;
        for (;;) {
            std::pair<std::size_t, std::unique_ptr<Chunk>> item;
            bool stopped = false;
            {
                std::unique_lock lock(m_mutex);
                m_workQueued.wait(lock, [this] { return !m_queue.empty() || m_finishing; });
                if (m_queue.empty()) return;
                item = std::move(m_queue.front());
                m_queue.pop_front();
                stopped = m_stopped;
            }
            if (!stopped) guarded([&] { m_work(*item.second, scratch); });
            std::lock_guard lock(m_mutex);
            m_done.emplace(item.first, std::move(item.second));
            m_chunkDone.notify_all();
        }
    }

    void deliveryLoop() {
        for (std::size_t next = 0;; ++next) {
            std::unique_ptr<Chunk> chunk;
            bool stopped = false;
            {
                std::unique_lock lock(m_mutex);
                m_chunkDone.wait(lock, [&] {
                    return m_done.count(next) != 0 || (m_finishing && next == m_submitted);
                });
                const auto it = m_done.find(next);
                if (it == m_done.end()) return;  // finishing, everything delivered
                chunk = std::move(it->second);
                m_done.erase(it);
                stopped = m_stopped;
            }
            if (!stopped) guarded([&] { stopped = !m_deliver(*chunk); });
            guarded([&] { chunk.reset(); });
            std::lock_guard lock(m_mutex);
            if (stopped) m_stopped = true;
            --m_held;
            m_roomFreed.notify_all();
        }
    }

    // Runs `step`; an exception it throws is kept for finish() and stops the delivery.
    template <class Step>
    void guarded(Step&& step) {
        try {
            step();
        } catch (...) {
            std::lock_guard lock(m_mutex);
            if (!m_thrown) m_thrown = std::current_exception();
            m_stopped = true;
            m_roomFreed.notify_all();
        }
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
    std::exception_ptr m_thrown;
    std::vector<std::thread> m_threads;  // last: ended (joined) before the rest goes
};

}  // namespace tavorin
