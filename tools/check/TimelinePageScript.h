#pragma once
// The timeline page's style sheet and the script that draws it from its DATA object.
extern const char kTimelineStyle[];
extern const char kTimelineScript[];
