// Shared by the example's shaders through #include.
const float PI = 3.14159265;
