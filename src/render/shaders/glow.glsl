// The 3D pass over the whole picture with its glow in one pass: count copies of the grey glow
// source, each a smaller central part of it stretched over the picture (inset by `spread` more
// than the one before, in texture units and in pixels alike) and weaker by 1 / count, added with
// the source's own grey as their opacity. Each copy's share is rounded to the frame's 8-bit
// steps and the sum clamped, as copies added one by one into the frame would be.
precision highp float;

uniform vec2 u_picture;   // the picture's size in pixels
uniform int u_count;      // glow copies, 0 for none
uniform float u_spread;
uniform sampler2D u_pass;
uniform sampler2D u_glow;

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

float Step(float value) { return floor(value * 255.0 + 0.5) / 255.0; }

// With spread 0 every copy reads the same grey g: copy i adds g * g * (1 - i / count). The
// copies adding at least level v are those with i up to count * (1 - (v - 0.5) / k), k the
// first copy's share in levels, so the sum goes by levels (at most 255) instead of by copies.
float StillGlow(float g) {
  float k = g * g * 255.0;
  float n = float(u_count);
  float sum = 0.0;
  for (int v = 1; v <= 255; ++v) {
    float last = floor(n * (1.0 - (float(v) - 0.5) / k));
    if (last < 0.0) break;
    sum += min(last + 1.0, n);
    if (sum >= 255.0) break;
  }
  return sum / 255.0;
}

float ZoomGlow(vec2 pixel) {
  float sum = 0.0;
  float inset = 0.0;
  float alpha = 1.0;
  float step = 1.0 / float(u_count);
  for (int i = 0; i < u_count; ++i) {
    vec2 lo = vec2(inset);
    vec2 hi = u_picture - vec2(inset);
    // A copy turned inside out on one axis alone faces away and is not drawn; on both it is.
    bool flippedX = hi.x < lo.x, flippedY = hi.y < lo.y;
    vec2 from = min(lo, hi), to = max(lo, hi);
    if (flippedX == flippedY && all(greaterThanEqual(pixel, from)) && all(lessThan(pixel, to))) {
      vec2 across = (pixel - lo) / (hi - lo);
      vec2 uv = vec2(mix(inset, 1.0 - inset, across.x), mix(1.0 - inset, inset, across.y));
      float g = texture(u_glow, uv).r;
      sum += Step(g * g * alpha);
      if (sum >= 1.0) break;
    }
    inset += u_spread;
    alpha -= step;
  }
  return sum;
}

void main() {
  vec3 c = texture(u_pass, v_uv).rgb;
  if (u_count > 0) {
    // Picture pixels from the top-left corner, where the copies are laid out.
    vec2 pixel = vec2(v_uv.x, 1.0 - v_uv.y) * u_picture;
    float glow = u_spread == 0.0 ? StillGlow(texture(u_glow, v_uv).r) : ZoomGlow(pixel);
    c = min(vec3(1.0), vec3(Step(c.r), Step(c.g), Step(c.b)) + glow);
  }
  fragColor = vec4(c, 1.0);
}
#endif
