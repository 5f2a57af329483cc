// A textured rectangle in picture pixels: the trail, the 3D pass laid over the picture, the glow
// source, the layers and the text. The colour multiplies the texture; blending is the caller's.
precision highp float;

uniform vec4 u_rect;       // x0, y0, x1, y1 in picture pixels
uniform vec4 u_uvRect;     // the texture coordinates at (x0, y0) and at (x1, y1)
uniform vec2 u_picture;    // the picture's size in pixels
uniform bool u_yDown;      // y counted from the top of the picture (layers) or from its bottom
uniform vec4 u_color;
uniform bool u_textured;
uniform sampler2D u_texture;

#ifdef VERTEX
layout(location = 0) in vec2 a_corner;  // (0, 0) to (1, 1)

out vec2 v_uv;

void main() {
  vec2 p = mix(u_rect.xy, u_rect.zw, a_corner);
  v_uv = mix(u_uvRect.xy, u_uvRect.zw, a_corner);
  vec2 ndc = p / u_picture * 2.0 - 1.0;
  if (u_yDown) ndc.y = -ndc.y;
  gl_Position = vec4(ndc, 0.0, 1.0);
}
#endif

#ifdef FRAGMENT
in vec2 v_uv;

out vec4 fragColor;

void main() {
  fragColor = u_textured ? u_color * texture(u_texture, v_uv) : u_color;
}
#endif
