// Material uniforms shared by the library (set by the scene file's material element).
//   materialColor      rgb albedo factor, a unused
//   materialSpecular   rgb reflectance, a smoothness
//   materialEmissive   rgb emitted light
uniform vec4 materialColor = vec4(0.8, 0.8, 0.8, 1.0);
uniform vec4 materialSpecular = vec4(0.04, 0.04, 0.04, 0.5);
uniform vec3 materialEmissive = vec3(0.0);
