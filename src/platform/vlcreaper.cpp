#include "vlcreaper.h"

#include <condition_variable>
#include <malloc.h>
#include <mutex>
#include <thread>

namespace marquetrix {

namespace {

std::mutex &jobsMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::condition_variable &jobsDone()
{
    static std::condition_variable done;
    return done;
}

int runningJobs = 0;

} // namespace

std::shared_future<void> VlcReaper::run(std::function<void()> job)
{
    auto done = std::make_shared<std::promise<void>>();
    std::shared_future<void> future = done->get_future().share();
    {
        std::lock_guard lock(jobsMutex());
        ++runningJobs;
    }
    std::thread([job = std::move(job), done]() mutable {
        job();
        job = nullptr;
        done->set_value();
        std::lock_guard lock(jobsMutex());
        --runningJobs;
        jobsDone().notify_all();
    }).detach();
    return future;
}

bool VlcReaper::waitForAll(std::chrono::milliseconds bound)
{
    std::unique_lock lock(jobsMutex());
    return jobsDone().wait_for(lock, bound, [] { return runningJobs == 0; });
}

void VlcReaper::trimHeap()
{
    malloc_trim(0);
}

} // namespace marquetrix
