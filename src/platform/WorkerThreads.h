#pragma once
// A few threads kept for the length of one piece of work, for many small tasks that spend
// their time waiting on the storage (removing files, for one): several such waits overlap
// where one thread would wait for each in turn.
#include <condition_variable>
#include <exception>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace mirabel {

class WorkerThreads {
  public:
    // helpers: threads besides the caller's own, which takes part in every ForEach. When a
    // thread cannot be started, the ones already started are stopped and joined before the
    // exception leaves the constructor.
    explicit WorkerThreads(int helpers);
    ~WorkerThreads();
    WorkerThreads(const WorkerThreads&) = delete;
    WorkerThreads& operator=(const WorkerThreads&) = delete;

    // Calls task(i) once for every i in [0, count), on the helpers and the calling thread, and
    // returns when every call has returned. The calls run side by side in no set order, so
    // task must be safe to call from several threads at once. When a call throws, no further
    // index is handed out, and the first exception is thrown here once every thread has
    // stopped working on this ForEach.
    void ForEach(std::size_t count, const std::function<void(std::size_t)>& task);

    // The same in two halves, so that the caller can do other work while the helpers start on
    // the tasks: Begin returns at once; Finish takes part in what is left and returns (or
    // throws) as ForEach does. task must live until Finish returns; one round at a time.
    void Begin(std::size_t count, const std::function<void(std::size_t)>& task);
    void Finish();

  private:
    void Stop() noexcept;
    void Serve();
    void TakeTasks();

    std::mutex mutex_;
    std::condition_variable started_;   // a new ForEach, or the end
    std::condition_variable finished_;  // a helper is done with the current ForEach
    const std::function<void(std::size_t)>* task_ = nullptr;
    std::size_t count_ = 0;
    std::size_t next_ = 0;     // the next index to hand out
    std::uint64_t round_ = 0;  // counts ForEach calls, so a helper joins each one once
    int helpersBusy_ = 0;
    std::exception_ptr failure_;  // the first exception of the current ForEach
    bool ending_ = false;
    std::vector<std::thread> helpers_;
};

}  // namespace mirabel
