#version 100

// The browser's copy of data/UnitColor.fs: WebGL takes GLSL ES 1.00 only.
// Paints the light-toned piece sprites in their owner's colour.
// Used with raylib's default vertex shader.

precision mediump float;

varying vec2 fragTexCoord;
varying vec4 fragColor;

uniform sampler2D texture0;
uniform vec4 colDiffuse;
uniform vec4 replaceColor; // owner colour: blue, red, or white for neutral
uniform float tintAmount;  // brightness: 1.0 normal, 0.4 once the piece has acted

void main()
{
    vec4 texel = texture2D(texture0, fragTexCoord) * colDiffuse * fragColor;

    // Multiplying keeps the sprite's shading: white becomes the full owner
    // colour and dark outlines stay dark.
    vec3 rgb = texel.rgb * replaceColor.rgb * tintAmount;

    // Alpha comes from the texture so transparent pixels stay transparent.
    gl_FragColor = vec4(clamp(rgb, 0.0, 1.0), texel.a);
}
