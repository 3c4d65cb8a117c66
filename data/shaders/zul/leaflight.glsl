// Sunlight through thin leaves, blades, petals and canvas: with the sun beyond the surface (its
// normal turned from the sun), some of the light comes through towards the viewer, most when the
// viewer looks towards the sun. Returned as light per unit albedo, for the emissive target.
//   n          view-space unit normal of the side the viewer sees
//   position   view-space position
//   always     share that comes through whatever the view
//   towards    extra share when looking straight into the sun
// Needs the block AtmosphereModel (deferred/atmosphere_block.glsl).
vec3 lightThrough(vec3 n, vec3 position, float always, float towards) {
    vec3 sun = normalize(SunDirection + vec3(1e-6));
    float through = max(dot(-n, sun), 0.0);
    float against = pow(max(dot(normalize(position), sun), 0.0), 3.0);
    // The sunlight as the light pass gives it: the model's colour times the sun's intensity.
    return SunColor.rgb * SunColor.a * through * (always + towards * against);
}
