// The finished picture in one pass: the 3D pass stretched over the picture, its glow, and the
// layers over it in their order, each with its screen blend. What the classic pipeline adds or
// blends into an 8-bit frame one quad at a time is rounded to 8-bit steps at each quad here too.
// Built in variants:
//   GLOW     0 none; 1 the copies all alike (spread 0); 2 each copy a smaller part (spread > 0)
//   COPIES   with GLOW 2: 1 to 4, that many copies, unrolled (a loop over copies costs a
//            software renderer several times their own work); 0, as many as u_count says
//   LAYERS   layers blended here, 0 to 8
//   PICTURE  0: the glow copies u_first on alone, to be added to the frame (a glow of so many
//            copies is drawn in batches, so that a stop request is heard between two)
#ifndef GLOW
#define GLOW 2
#endif
#ifndef LAYERS
#define LAYERS 8
#endif
#ifndef PICTURE
#define PICTURE 1
#endif
#ifndef COPIES
#define COPIES 0
#endif
precision highp float;

uniform vec2 u_picture;   // the picture's size in pixels
uniform int u_count;      // glow copies
uniform float u_spread;
uniform int u_first;      // the first copy drawn here, its inset and its opacity
uniform float u_firstInset;
uniform float u_firstAlpha;
uniform int u_batch;      // copies drawn here at most
uniform sampler2D u_pass;
uniform sampler2D u_glow;
uniform vec4 u_layerRect[8];   // x0, y0, x1, y1 in picture pixels from the top-left corner
uniform float u_layerAlpha[8];
uniform sampler2D u_layer0;
uniform sampler2D u_layer1;
uniform sampler2D u_layer2;
uniform sampler2D u_layer3;
uniform sampler2D u_layer4;
uniform sampler2D u_layer5;
uniform sampler2D u_layer6;
uniform sampler2D u_layer7;

#ifdef VERTEX
layout(location = 0) in vec2 a_corner;

out vec2 v_uv;

void main() {
  v_uv = a_corner;
  gl_Position = vec4(a_corner * 2.0 - 1.0, 0.0, 1.0);
}
#endif

#ifdef FRAGMENT
in vec2 v_uv;

out vec4 fragColor;

float Step(float value) { return floor(clamp(value, 0.0, 1.0) * 255.0 + 0.5) / 255.0; }
vec3 Step(vec3 value) { return floor(clamp(value, 0.0, 1.0) * 255.0 + 0.5) / 255.0; }

// Copy i adds g times its opacity g * alpha_i, alpha falling by 1 / count from 1, the opacity
// and the share each in 8-bit steps, as the frame's blending takes them.
// With spread 0 every copy reads the same grey g; past 255 copies the sum is counted by levels:
// the copies adding at least level v are those up to count * (1 - (v - 0.5) / k), k the first
// copy's share in levels.
float StillGlow(float g) {
  float sum = 0.0;
  if (u_count <= 255) {
    float alpha = 1.0;
    float step = 1.0 / float(u_count);
    for (int i = 0; i < u_count && sum < 1.0; ++i) {
      sum += Step(g * Step(g * alpha));
      alpha -= step;
    }
    return sum;
  }
  float k = g * g * 255.0;
  float n = float(u_count);
  for (int v = 1; v <= 255 && sum < 255.0; ++v) {
    float last = floor(n * (1.0 - (float(v) - 0.5) / k));
    if (last < 0.0) break;
    sum += min(last + 1.0, n);
  }
  return sum / 255.0;
}

// Each copy is a smaller central part of the grey image stretched over the picture, inset by
// the spread more than the one before, in texture units and in pixels alike. A copy turned inside
// out on one axis alone faces away and is not drawn; on both it is.
float Copy(vec2 pixel, float inset, float alpha) {
  vec2 lo = vec2(inset);
  vec2 hi = u_picture - vec2(inset);
  bool flippedX = hi.x < lo.x, flippedY = hi.y < lo.y;
  vec2 from = min(lo, hi), to = max(lo, hi);
  // Pixel centres on an edge: the left and the bottom one count, as the rasterizer counts them.
  bool drawn = flippedX == flippedY && pixel.x >= from.x && pixel.x < to.x && pixel.y > from.y &&
               pixel.y <= to.y;
  vec2 across = (pixel - lo) / (hi - lo);
  vec2 uv = vec2(mix(inset, 1.0 - inset, across.x), mix(1.0 - inset, inset, across.y));
  float g = texture(u_glow, uv).r;
  return drawn ? Step(g * Step(g * alpha)) : 0.0;
}

float ZoomGlow(vec2 pixel, int end) {
  float sum = 0.0;
  float inset = u_firstInset;
  float alpha = u_firstAlpha;
  float step = 1.0 / float(u_count);
#if COPIES > 0
  for (int i = 0; i < COPIES; ++i) {
#else
  for (int i = u_first; i < end && sum < 1.0; ++i) {
#endif
    sum += Copy(pixel, inset, alpha);
    inset += u_spread;
    alpha -= step;
  }
  return sum;
}

// A layer's screen blend: its picture times its opacity, weighted by the opacity, over the frame
// weighted by one minus that picture.
vec3 Screen(vec3 frame, vec2 pixel, int k, sampler2D layer) {
  vec4 rect = u_layerRect[k];
  vec2 from = min(rect.xy, rect.zw), to = max(rect.xy, rect.zw);
  if (pixel.x < from.x || pixel.x >= to.x || pixel.y <= from.y || pixel.y > to.y) return frame;
  vec2 uv = (pixel - rect.xy) / (rect.zw - rect.xy);
  float a = Step(u_layerAlpha[k]);
  vec3 src = Step(a * texture(layer, uv).rgb);
  return Step(src * a + frame * (1.0 - src));
}

void main() {
  // Picture pixels from the top-left corner, where the copies and the layers are laid out.
  vec2 pixel = vec2(v_uv.x, 1.0 - v_uv.y) * u_picture;
#if PICTURE
  vec3 c = Step(texture(u_pass, v_uv).rgb);
#else
  vec3 c = vec3(0.0);
#endif
#if GLOW == 1
  c = min(vec3(1.0), c + StillGlow(texture(u_glow, v_uv).r));
#elif GLOW == 2
  c = min(vec3(1.0), c + ZoomGlow(pixel, min(u_count, u_first + u_batch)));
#endif
#if LAYERS > 0
  c = Screen(c, pixel, 0, u_layer0);
#endif
#if LAYERS > 1
  c = Screen(c, pixel, 1, u_layer1);
#endif
#if LAYERS > 2
  c = Screen(c, pixel, 2, u_layer2);
#endif
#if LAYERS > 3
  c = Screen(c, pixel, 3, u_layer3);
#endif
#if LAYERS > 4
  c = Screen(c, pixel, 4, u_layer4);
#endif
#if LAYERS > 5
  c = Screen(c, pixel, 5, u_layer5);
#endif
#if LAYERS > 6
  c = Screen(c, pixel, 6, u_layer6);
#endif
#if LAYERS > 7
  c = Screen(c, pixel, 7, u_layer7);
#endif
  fragColor = vec4(c, 1.0);
}
#endif
