#pragma once
// State of the render-to-texture capture; the operations are GLWindow members.

// Set by the first StorePreviousFrame: until then there is no trail to lay over a frame.
extern bool g_previousFrameStored;
