#include "driver/SceneConversion.h"

#include <cstdio>
#include <cstdlib>

#include "driver/ConvertScene.h"

SceneConversion::~SceneConversion() {
  if (m_thread.joinable()) m_thread.join();
}

void SceneConversion::Start(const std::vector<std::string>& scenes) {
  if (Busy()) return;
  m_scenes = scenes;
  m_written.assign(scenes.size(), false);
  m_done.store(false, std::memory_order_relaxed);
  m_thread = std::thread([this] {
    for (size_t i = 0; i < m_scenes.size(); ++i)
      m_written[i] = ConvertSceneFromAse(m_scenes[i].c_str());
    m_done.store(true, std::memory_order_release);
  });
}

std::vector<bool> SceneConversion::Take() {
  if (!Finished()) return {};
  m_thread.join();
  return m_written;
}

void SceneConversion::ExitIfRunning(int status) {
  if (Finished()) m_thread.join();
  if (!Busy()) return;
  std::fflush(stdout);
  // No static object is destroyed under the running thread's feet.
  std::_Exit(status);
}
