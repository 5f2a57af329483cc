// Text into coverage planes with FreeType, from the DejaVu fonts of the system.
#pragma once

#include <string>

#include "Images.h"

class TextRender {
 public:
  TextRender();
  ~TextRender();
  TextRender(const TextRender&) = delete;
  TextRender& operator=(const TextRender&) = delete;

  // Opens fileName (e.g. "DejaVuSans-Bold.ttf") from the first of the FontFolders that has it,
  // read through the platform's file layer. On failure prints a message that names the file and
  // how to install it, and returns false.
  bool Open(const std::string& fileName);

  // Sets the glyph size in pixels; width and height may differ to pre-distort text for a
  // picture that the player stretches.
  void SetSize(int pixelWidth, int pixelHeight);

  // Advance width in pixels of the text, with `tracking` extra pixels between letters.
  float Measure(const std::string& text, float tracking = 0) const;

  // Adds the text's coverage to the plane (clamped to 1), the pen starting at x on the baseline y.
  void Draw(Plane& plane, const std::string& text, float x, float baseline, float tracking = 0) const;

  // Draws the text centred horizontally on cx.
  void DrawCentred(Plane& plane, const std::string& text, float cx, float baseline,
                   float tracking = 0) const;

  // Font metrics of the current size, in pixels: ascent above and descent below the baseline.
  float Ascent() const;
  float Descent() const;

 private:
  struct Handles;
  Handles* m_handles;
};
