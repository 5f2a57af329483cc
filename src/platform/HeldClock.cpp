#include "platform/HeldClock.h"

int64_t HeldClock::Counter() {
  return m_held ? m_heldAt : m_base.Counter() - m_countsLeftOut;
}

uint32_t HeldClock::TickCount() {
  return m_held ? m_ticksHeldAt : m_base.TickCount() - m_ticksLeftOut;
}

void HeldClock::Hold() {
  if (m_held) return;
  m_heldAt = Counter();
  m_ticksHeldAt = TickCount();
  m_held = true;
}

void HeldClock::Release() {
  if (!m_held) return;
  m_countsLeftOut = m_base.Counter() - m_heldAt;
  m_ticksLeftOut = m_base.TickCount() - m_ticksHeldAt;
  m_held = false;
}
