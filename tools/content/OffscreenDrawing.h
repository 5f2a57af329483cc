#pragma once
// The GL context the content tool loads particle textures in shows nothing where the system can
// give one without a window: SDL's offscreen driver on Linux (unless a driver was asked for). On
// Windows SDL's offscreen driver needs EGL, which the system lacks: the usual window opens for
// the moment the textures take.
void PreferOffscreenDrawing();
