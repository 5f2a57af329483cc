#include "EncodeQueue.h"

#include <cstring>

EncodeQueue::EncodeQueue(FrameSink& sink, size_t bytes) : m_sink(sink) {
  const int workers = sink.Workers() > 0 ? sink.Workers() : 1;
  // One per encoder, the held one, the one being filled and one waiting.
  for (int i = 0; i < workers + 3; ++i) {
    m_buffers.push_back(std::make_unique<std::vector<uint8_t>>(bytes));
    m_free.push_back(m_buffers.back().get());
  }
  for (int i = 0; i < workers; ++i) m_threads.emplace_back(&EncodeQueue::Work, this);
}

EncodeQueue::~EncodeQueue() { Stop(); }

void EncodeQueue::Stop() {
  {
    std::lock_guard<std::mutex> lock(m_lock);
    m_stopping = true;
    m_changed.notify_all();
  }
  for (std::thread& t : m_threads) t.join();
  m_threads.clear();
}

std::vector<uint8_t>& EncodeQueue::Blank() {
  std::unique_lock<std::mutex> lock(m_lock);
  m_changed.wait(lock, [this] { return !m_free.empty(); });
  m_blank = m_free.back();
  m_free.pop_back();
  return *m_blank;
}

void EncodeQueue::Submit(std::vector<int64_t> frames) {
  std::lock_guard<std::mutex> lock(m_lock);
  std::vector<uint8_t>* picture = m_blank;
  m_blank = nullptr;
  if (!picture) return;
  if (frames.empty()) {
    m_free.push_back(picture);
  } else if (m_held.picture && *m_held.picture == *picture) {
    m_held.frames.insert(m_held.frames.end(), frames.begin(), frames.end());
    m_free.push_back(picture);
  } else {
    if (m_held.picture) Push(std::move(m_held));
    m_held = Job{picture, std::move(frames)};
  }
  m_changed.notify_all();
}

void EncodeQueue::Push(Job job) {
  // After a failure nothing more is written; the buffer goes straight back.
  if (!m_error.empty()) {
    m_free.push_back(job.picture);
    return;
  }
  m_jobs.push_back(std::move(job));
}

bool EncodeQueue::Healthy(std::string& error) {
  std::lock_guard<std::mutex> lock(m_lock);
  error = m_error;
  return m_error.empty();
}

void EncodeQueue::Work() {
  std::unique_lock<std::mutex> lock(m_lock);
  for (;;) {
    m_changed.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
    if (m_jobs.empty()) return;
    Job job = std::move(m_jobs.front());
    m_jobs.pop_front();
    lock.unlock();
    std::string error;
    const bool written = m_sink.Write(job.frames, job.picture->data(), error);
    lock.lock();
    if (!written && m_error.empty()) m_error = error.empty() ? "a frame could not be written" : error;
    m_free.push_back(job.picture);
    m_changed.notify_all();
  }
}

bool EncodeQueue::Finish(std::string& error) {
  {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_held.picture) Push(std::move(m_held));
    m_held = Job();
  }
  Stop();
  error = m_error;
  if (!m_error.empty()) return false;
  return m_sink.Finish(error);
}
