#pragma once
// SHA-256 of copied files on a thread of its own. The bytes are read into a buffer of the
// queue, handed over for hashing and written from the same buffer: the copy goes on while the
// hash catches up, and the hashing of a study's last files overlaps the wait for its flush.
// The buffers are the only memory the hashing holds, and bound how far the copy runs ahead.
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/Sha256.h"

namespace mirabel {

class HashQueue {
  public:
    // `buffers` buffers of `bufferBytes` each. Throws std::system_error when the thread cannot
    // be started.
    HashQueue(std::size_t buffers, std::size_t bufferBytes);
    // Hashes what is queued, then stops the thread.
    ~HashQueue();
    HashQueue(const HashQueue&) = delete;
    HashQueue& operator=(const HashQueue&) = delete;

    // Starts the bytes of the next file: its number, for Result.
    std::size_t StartFile();
    // A buffer to read the file's next bytes into; waits while every buffer is queued.
    std::span<char> TakeBuffer();
    // The first `size` bytes of the buffer last taken are the next bytes of the file last
    // started. They must stay as they are until TakeBuffer hands the buffer out again. Every
    // buffer taken is given back so, with a size of 0 when it holds nothing to hash.
    void Hash(std::size_t size);

    struct Digest {
        std::uint64_t bytes = 0;
        std::string sha256;
    };
    // Waits until every byte queued so far is hashed: the count and digest of that file, which
    // the queue then forgets (a file is asked for once; a file given up is asked for too).
    Digest Result(std::size_t file);

  private:
    struct File {
        Sha256 hash;
    };
    struct Job {
        File* file;
        std::size_t buffer;
        std::size_t size;
    };
    void Serve();

    std::size_t bufferBytes_;
    // Left unwritten until used: a page is only made when a buffer first holds bytes there.
    std::unique_ptr<char[]> memory_;
    std::mutex mutex_;
    std::condition_variable changed_;              // a job queued or done, or the end
    std::vector<std::size_t> free_;                // buffers that may be taken
    std::size_t taken_ = 0;                        // the buffer last taken
    std::unordered_map<std::size_t, File> files_;  // never moved: jobs point at them
    std::size_t nextFile_ = 0;
    std::deque<Job> jobs_;
    bool hashing_ = false;  // the thread is on a job it took off the queue
    bool ending_ = false;
    std::thread thread_;
};

}  // namespace mirabel
