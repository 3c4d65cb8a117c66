// Shared by the particle looks: the disc's soft falloff and the test against the scene's depth
// (particles are drawn after the lights without depth testing, so hidden ones are dropped here).
//   corner      position on the particle's square, -1..1
//   life        energy left, fading the particle out as it runs down
//   depth       the scene's depth buffer; viewport = 1 / its size
in vec2 corner;
in float life;
uniform sampler2D depth;
uniform float viewport[2];

// 1 in the middle to 0 at the rim; 0 where the scene hides the particle.
float particleCover() {
    float r2 = dot(corner, corner);
    if (r2 >= 1.0)
        discard;
    float scene = texture(depth, gl_FragCoord.xy * vec2(viewport[0], viewport[1])).r;
    if (gl_FragCoord.z > scene)
        discard;
    float disc = (1.0 - r2) * (1.0 - r2);
    return disc * clamp(life, 0.0, 1.0);
}
