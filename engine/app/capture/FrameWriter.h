#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class FrameSink;

// Hands frames to a sink on a thread of its own, so that encoding and writing a frame overlap the
// drawing of the next ones. Frames wait in a few buffers made up front; drawing waits only when
// all of them are still queued, i.e. when the sink is slower than drawing. Only this thread calls
// the sink's writeFrame.
class FrameWriter {
public:
    FrameWriter(FrameSink& sink, size_t frameBytes, int buffers);
    ~FrameWriter();
    FrameWriter(const FrameWriter&) = delete;
    FrameWriter& operator=(const FrameWriter&) = delete;

    // The buffer to fill with the next frame, once one is free; null after a write failed.
    uint8_t* acquire();
    // Queues the buffer from acquire() as frame `index`.
    void submit(long index);
    // Waits until every queued frame is written; false (error set) if a write failed.
    bool drain(std::string& error);

private:
    void run();

    FrameSink& sink_;
    const int depth_;
    std::vector<std::unique_ptr<uint8_t[]>> buffers_;
    std::vector<long> indices_;
    std::mutex mutex_;
    std::condition_variable changed_;
    long submitted_ = 0; // frames queued so far; frame n sits in buffer n % depth
    long completed_ = 0; // frames the sink has taken
    bool stopping_ = false;
    bool failed_ = false;
    std::string error_;
    std::thread thread_;
};
