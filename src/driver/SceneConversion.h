#pragma once
// Scenes converted from their exports on a thread of their own, so that the production plays on
// and answers its keys while a large export is read. The thread runs only the converter, which
// reads the exports and writes the scene files and textures, each put in place whole; it touches
// neither GL nor the player's stores, and asks for no message box (MessageBox.h).
#include <atomic>
#include <string>
#include <thread>
#include <vector>

class SceneConversion {
 public:
  SceneConversion() = default;
  ~SceneConversion();
  SceneConversion(const SceneConversion&) = delete;
  SceneConversion& operator=(const SceneConversion&) = delete;

  // Started and its results not yet taken.
  bool Busy() const { return m_thread.joinable(); }
  // Busy, and the thread has finished.
  bool Finished() const { return Busy() && m_done.load(std::memory_order_acquire); }
  const std::vector<std::string>& Scenes() const { return m_scenes; }
  // Converts the scenes one after the other; only when not Busy.
  void Start(const std::vector<std::string>& scenes);
  // Once Finished: whether each scene's file was written, in the order of Scenes().
  std::vector<bool> Take();
  // The way out while the thread may still run: waiting for it could take as long as the
  // export's reading. Its files are put in place whole or not at all, so the process ends at
  // once with status, the log flushed. Returns when nothing runs.
  void ExitIfRunning(int status);

 private:
  std::thread m_thread;
  std::atomic<bool> m_done{false};
  std::vector<std::string> m_scenes;
  std::vector<bool> m_written;  // the thread's until m_done
};
