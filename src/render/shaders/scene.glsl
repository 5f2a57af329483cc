// Meshes, lens flares and particles: the lighting, texturing and fog of the fixed-function
// pipeline the scenes were made for. Lighting is worked out at the corners and interpolated,
// texture generation too, and fog from each corner's eye depth: as the pipeline did.
// Built in variants, as the pipeline's state would select them: a software renderer runs both
// sides of a branch, so what a draw does not use is left out, not skipped.
//   LIT      lighting (else the colour as given)
//   MAPS     textures applied: 0, 1 or 2
//   SPHERE0  the first map's coordinates made from the view (a sphere map); SPHERE1 the second's
//   FOG      linear fog
//   ALPHA_TEST  pixels whose alpha falls below u_alphaCutoff are left out
#ifndef LIT
#define LIT 1
#endif
#ifndef MAPS
#define MAPS 2
#endif
#ifndef SPHERE0
#define SPHERE0 1
#endif
#ifndef SPHERE1
#define SPHERE1 1
#endif
#ifndef FOG
#define FOG 1
#endif
#ifndef ALPHA_TEST
#define ALPHA_TEST 1
#endif
precision highp float;

uniform mat4 u_projection;
uniform mat4 u_modelview;
uniform bool u_normalise;     // a moving object: normals through u_normalMatrix, unit length
uniform mat3 u_normalMatrix;
uniform vec4 u_color;      // the material's colour (ambient and diffuse), or the quad's colour
uniform vec3 u_emission;
uniform int u_lightCount;
uniform vec4 u_lightPosition[7];  // eye space; w 0 for a direction
uniform vec3 u_lightDiffuse[7];
uniform vec4 u_lightSpot[7];    // a spot's aim (eye space) and the cosine of its half cone
uniform vec4 u_lightFading[7];  // attenuation: constant, linear, quadratic; the spot exponent
uniform vec3 u_fogColor;
uniform float u_fogStart;
uniform float u_fogEnd;
uniform float u_alphaCutoff;
uniform sampler2D u_map0;
uniform sampler2D u_map1;

#ifdef VERTEX
layout(location = 0) in vec3 a_position;
layout(location = 1) in vec3 a_normal;
layout(location = 2) in vec2 a_uv0;
layout(location = 3) in vec2 a_uv1;
layout(location = 4) in vec4 a_colour;  // the vertex's colour; (1, 1, 1, 1) where it has none

out vec4 v_color;
out vec2 v_uv0;
out vec2 v_uv1;
out float v_fogDepth;

// The coordinates a sphere map reads for a corner seen from the eye.
vec2 SphereMap(vec3 eye, vec3 normal) {
  vec3 u = normalize(eye);
  vec3 r = u - 2.0 * normal * dot(normal, u);
  float m = 2.0 * sqrt(r.x * r.x + r.y * r.y + (r.z + 1.0) * (r.z + 1.0));
  return vec2(r.x / m + 0.5, r.y / m + 0.5);
}

void main() {
  vec4 base = u_color * a_colour;
  vec4 eye = u_modelview * vec4(a_position, 1.0);
  vec3 normal = u_normalise ? normalize(u_normalMatrix * a_normal) : mat3(u_modelview) * a_normal;
#if LIT
  {
    // Ambient of the whole scene (0.2) and the diffuse term of each light; the lights add no
    // ambient or specular of their own.
    vec3 c = u_emission + base.rgb * 0.2;
    for (int i = 0; i < u_lightCount; ++i) {
      bool positional = u_lightPosition[i].w != 0.0;
      vec3 toLight = positional ? u_lightPosition[i].xyz - eye.xyz : u_lightPosition[i].xyz;
      vec3 l = normalize(toLight);
      float facing = max(dot(normal, l), 0.0);
      // Fading with distance and the spot's cone, as the pipeline works them out; a plain
      // light's factors are exactly 1.
      vec4 fading = u_lightFading[i];
      float d = length(toLight);
      float strength = positional ? 1.0 / max(fading.x + fading.y * d + fading.z * d * d, 1e-6) : 1.0;
      if (u_lightSpot[i].w > -1.0) {
        float along = dot(-l, normalize(u_lightSpot[i].xyz));
        strength *= along < u_lightSpot[i].w ? 0.0 : fading.w > 0.0 ? pow(max(along, 0.0), fading.w) : 1.0;
      }
      c += u_lightDiffuse[i] * base.rgb * facing * strength;
    }
    v_color = vec4(clamp(c, 0.0, 1.0), clamp(base.a, 0.0, 1.0));
  }
#else
  v_color = clamp(base, 0.0, 1.0);
#endif
#if SPHERE0
  v_uv0 = SphereMap(eye.xyz, normal);
#else
  v_uv0 = a_uv0;
#endif
#if SPHERE1
  v_uv1 = SphereMap(eye.xyz, normal);
#else
  v_uv1 = a_uv1;
#endif
  v_fogDepth = abs(eye.z);
  gl_Position = u_projection * eye;
}
#endif

#ifdef FRAGMENT
in vec4 v_color;
in vec2 v_uv0;
in vec2 v_uv1;
in float v_fogDepth;

out vec4 fragColor;

void main() {
  vec4 c = v_color;
#if MAPS >= 1
  c *= texture(u_map0, v_uv0);
#endif
#if MAPS >= 2
  c *= texture(u_map1, v_uv1);
#endif
#if FOG
  float f = clamp((u_fogEnd - v_fogDepth) / (u_fogEnd - u_fogStart), 0.0, 1.0);
  c.rgb = mix(u_fogColor, c.rgb, f);
#endif
#if ALPHA_TEST
  if (c.a < u_alphaCutoff) discard;
#endif
  fragColor = c;
}
#endif
