// The script loader on any text: the two passes, the line parser and the time sort.
#include <cmath>
#include <cstdlib>

#include "FuzzInput.h"
#include "timeline/Timeline.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QuietEngine();
  const char* path = WriteInput("script.txt", data, size);
  Timeline timeline;
  timeline.LoadScript(path);
  timeline.SortEvents();
  // The dispatcher walks the events in order with a cursor: an unsorted array would skip events.
  for (int32_t i = 1; i < timeline.eventCount; ++i)
    if (CompareEventTimes(timeline.events[i - 1], timeline.events[i]) > 0) abort();
  for (int32_t i = 0; i < timeline.eventCount; ++i)
    for (float p : timeline.events[i].params) TruncateParam(p);
  return 0;
}
