#include "app/capture/FrameWriter.h"

#include "app/capture/FrameSink.h"

FrameWriter::FrameWriter(FrameSink& sink, size_t frameBytes, int buffers)
    : sink_(sink), depth_(buffers < 1 ? 1 : buffers), indices_(static_cast<size_t>(depth_)) {
    for (int i = 0; i < depth_; ++i)
        buffers_.emplace_back(new uint8_t[frameBytes]);
    thread_ = std::thread(&FrameWriter::run, this);
}

FrameWriter::~FrameWriter() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

uint8_t* FrameWriter::acquire() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return failed_ || submitted_ - completed_ < depth_; });
    return failed_ ? nullptr : buffers_[static_cast<size_t>(submitted_ % depth_)].get();
}

void FrameWriter::submit(long index) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        indices_[static_cast<size_t>(submitted_ % depth_)] = index;
        ++submitted_;
    }
    changed_.notify_all();
}

bool FrameWriter::drain(std::string& error) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return failed_ || completed_ == submitted_; });
    if (failed_)
        error = error_;
    return !failed_;
}

void FrameWriter::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stopping_ || (!failed_ && completed_ < submitted_); });
        if (failed_ || completed_ == submitted_)
            return; // stopping with nothing (more) to write
        const size_t slot = static_cast<size_t>(completed_ % depth_);
        const long index = indices_[slot];
        lock.unlock();
        // The buffer stays out of the caller's reach until completed_ passes it.
        std::string error;
        const bool written = sink_.writeFrame(index, buffers_[slot].get(), error);
        lock.lock();
        if (written) {
            ++completed_;
        } else {
            failed_ = true;
            error_ = error;
        }
        changed_.notify_all();
    }
}
