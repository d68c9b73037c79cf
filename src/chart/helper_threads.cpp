#include "chart/helper_threads.h"

#include <QThread>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace chart {

namespace {

class Helpers {
public:
    ~Helpers() {
        {
            const std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_all();
        for (std::thread& t : m_threads)
            t.join();
    }

    void prepare() {
        const std::lock_guard lock(m_mutex);
        if (m_threads.empty())
            grow();
    }

    bool run(std::function<void()> fn) {
        const std::lock_guard lock(m_mutex);
        // Each piece of work waiting has a thread of its own to take it.
        if (m_stopping || (qsizetype(m_work.size()) >= free() && !grow()))
            return false;
        m_work.push_back(std::move(fn));
        m_wake.notify_one();
        return true;
    }

private:
    qsizetype free() const { return qsizetype(m_threads.size()) - m_busy; }

    // With the lock held.
    bool grow() {
        if (qsizetype(m_threads.size()) >= std::max(1, QThread::idealThreadCount() - 1))
            return false;
        try {
            m_threads.emplace_back([this] { serve(); });
        } catch (const std::system_error&) {
            return false; // no thread to be had: the caller does the work
        }
        return true;
    }

    void serve() {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_stopping || !m_work.empty(); });
            if (m_work.empty())
                return;
            std::function<void()> fn = std::move(m_work.front());
            m_work.pop_front();
            ++m_busy;
            lock.unlock();
            fn();
            lock.lock();
            --m_busy;
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_work;
    std::vector<std::thread> m_threads;
    qsizetype m_busy = 0;
    bool m_stopping = false;
};

Helpers& helpers() {
    static Helpers h;
    return h;
}

} // namespace

void prepareHelperThread() {
    helpers().prepare();
}

bool runBeside(std::function<void()> fn) {
    return helpers().run(std::move(fn));
}

} // namespace chart
