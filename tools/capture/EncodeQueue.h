#pragma once
// Pictures handed from the drawing thread to encoder threads, so the next frame draws while the
// last ones are encoded. A picture equal to the one before is not encoded again: it joins the
// frames the earlier picture is written as. Memory stays bounded: a fixed set of picture buffers
// goes round, and the drawing thread waits when all are in use.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "FrameSink.h"

class EncodeQueue {
 public:
  // Starts the sink's encoder threads for pictures of `bytes` bytes.
  EncodeQueue(FrameSink& sink, size_t bytes);
  // Without Finish, what waits is dropped and the sink is not completed.
  ~EncodeQueue();

  // A buffer for the next picture; waits while every buffer is in use.
  std::vector<uint8_t>& Blank();
  // The picture just put in the Blank buffer, shown as `frames` (ascending, after every frame
  // submitted before). No frames: the buffer goes back unused.
  void Submit(std::vector<int64_t> frames);
  // False once a write has failed, with its message.
  bool Healthy(std::string& error);
  // Writes what is still waiting, stops the threads and completes the sink; false (with
  // `error`) on any failure.
  bool Finish(std::string& error);

 private:
  struct Job {
    std::vector<uint8_t>* picture = nullptr;
    std::vector<int64_t> frames;
  };
  void Work();
  void Stop();  // the threads end once the jobs queued so far are written
  void Push(Job job);  // with m_lock held

  FrameSink& m_sink;
  std::vector<std::unique_ptr<std::vector<uint8_t>>> m_buffers;
  std::vector<std::vector<uint8_t>*> m_free;
  std::vector<uint8_t>* m_blank = nullptr;
  Job m_held;  // the last picture, kept back until the next shows whether it repeats
  std::deque<Job> m_jobs;
  std::vector<std::thread> m_threads;
  std::mutex m_lock;
  std::condition_variable m_changed;
  bool m_stopping = false;
  std::string m_error;  // the first failure
};
