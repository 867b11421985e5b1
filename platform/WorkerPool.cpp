#include "platform/WorkerPool.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace {

class TWorkerPool {
public:
    ~TWorkerPool()
    {
        {
            const std::lock_guard lock(Mutex);
            Stopping = true;
        }
        Wake.notify_all();
        for (std::thread &t : Helpers)
            t.join();
    }

    void Run(const std::function<void()> &Job, int Threads)
    {
        const std::lock_guard oneRun(RunMutex);
        const std::size_t wanted = static_cast<std::size_t>(std::max(Threads, 1)) - 1;
        Grow(wanted);
        {
            const std::lock_guard lock(Mutex);
            Current = &Job;
            Wanted = std::min(wanted, Helpers.size());
            Running = Wanted;
            Failure = nullptr;
            ++Generation;
        }
        Wake.notify_all();
        std::exception_ptr own;
        try {
            Job();
        } catch (...) {
            own = std::current_exception();
        }
        std::unique_lock lock(Mutex);
        Done.wait(lock, [this] { return Running == 0; });
        Current = nullptr;
        if (!own)
            own = Failure;
        Failure = nullptr;
        lock.unlock();
        if (own)
            std::rethrow_exception(own);
    }

private:
    // Makes helpers until there are wanted of them, or no more can be had.
    void Grow(std::size_t wanted)
    {
        while (Helpers.size() < wanted) {
            const std::size_t index = Helpers.size();
            try {
                std::unique_lock lock(Mutex);
                const unsigned long long seen = Generation;
                lock.unlock();
                Helpers.emplace_back([this, index, seen] { Serve(index, seen); });
            } catch (const std::system_error &) {
                return;
            }
        }
    }

    void Serve(std::size_t index, unsigned long long seen)
    {
        std::unique_lock lock(Mutex);
        for (;;) {
            Wake.wait(lock, [&] { return Stopping || Generation != seen; });
            if (Stopping)
                return;
            seen = Generation;
            if (index >= Wanted)
                continue;
            const std::function<void()> *job = Current;
            lock.unlock();
            std::exception_ptr failure;
            try {
                (*job)();
            } catch (...) {
                failure = std::current_exception();
            }
            lock.lock();
            if (failure && !Failure)
                Failure = failure;
            if (--Running == 0)
                Done.notify_one();
        }
    }

    std::mutex RunMutex;
    std::mutex Mutex;
    std::condition_variable Wake, Done;
    std::vector<std::thread> Helpers; // changed only under RunMutex
    const std::function<void()> *Current = nullptr;
    std::size_t Wanted = 0, Running = 0;
    unsigned long long Generation = 0;
    std::exception_ptr Failure;
    bool Stopping = false;
};

TWorkerPool &Pool()
{
    static TWorkerPool pool;
    return pool;
}

} // namespace

void RunOnThreads(const std::function<void()> &Job, int Threads)
{
    if (Threads <= 1) {
        Job();
        return;
    }
    Pool().Run(Job, Threads);
}

int ProcessorCount()
{
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}
