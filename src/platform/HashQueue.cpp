#include "platform/HashQueue.h"

namespace mirabel {

HashQueue::HashQueue(std::size_t buffers, std::size_t bufferBytes)
    : bufferBytes_(bufferBytes), memory_(new char[buffers * bufferBytes]) {
    for (std::size_t i = buffers; i-- > 0;) free_.push_back(i);
    thread_ = std::thread([this] { Serve(); });
}

HashQueue::~HashQueue() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ending_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

std::size_t HashQueue::StartFile() {
    std::lock_guard<std::mutex> lock(mutex_);
    files_.try_emplace(nextFile_);
    return nextFile_++;
}

std::span<char> HashQueue::TakeBuffer() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !free_.empty(); });
    taken_ = free_.back();
    free_.pop_back();
    return {memory_.get() + taken_ * bufferBytes_, bufferBytes_};
}

void HashQueue::Hash(std::size_t size) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (size == 0)
            free_.push_back(taken_);
        else
            jobs_.push_back({&files_.at(nextFile_ - 1), taken_, size});
    }
    changed_.notify_all();
}

HashQueue::Digest HashQueue::Result(std::size_t file) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return jobs_.empty() && !hashing_; });
    const auto done = files_.find(file);
    if (done == files_.end()) return {};
    Digest digest{done->second.hash.Bytes(), done->second.hash.Finish()};
    files_.erase(done);
    return digest;
}

void HashQueue::Serve() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return ending_ || !jobs_.empty(); });
        // What is queued is hashed even at the end: a buffer is never left taken.
        if (jobs_.empty()) return;
        const Job job = jobs_.front();
        jobs_.pop_front();
        hashing_ = true;
        lock.unlock();
        job.file->hash.Update(memory_.get() + job.buffer * bufferBytes_, job.size);
        lock.lock();
        hashing_ = false;
        free_.push_back(job.buffer);
        changed_.notify_all();
    }
}

}  // namespace mirabel
