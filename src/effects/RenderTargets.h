#pragma once
// State of the render-to-texture capture; the operations are GLWindow members.

// Set by StorePreviousFrame and cleared by ForgetPreviousFrame: without it there is no trail to
// lay over a frame.
extern bool g_previousFrameStored;
