#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <type_traits>
#include <vector>

// Records the GL calls the code under test issues, in order, as text such as
// "glStencilFunc(519, 0, 255)". GLEW's entry points are hooked by swapping its function pointers;
// the GL 1.1 entry points that libGL exports directly are only seen in test binaries linked with
// the wrap options of tests/CMakeLists.txt (VORNDLE_GL_WRAP_OPTIONS). Queries (glGet*, status
// reads) are not recorded. Only one recorder records at a time.
//
// In counting mode nothing reaches the driver: the hooked entry points become no-op stubs that
// only count (value-returning ones answer 0), so a benchmark measures the engine's own work. GL
// state and objects are then left as they were; build what is drawn before counting starts.
class GlCallRecorder {
public:
    enum class Mode { Record, Count };

    // Starts recording (or counting, from zero) at once.
    explicit GlCallRecorder(Mode mode = Mode::Record);
    ~GlCallRecorder();
    GlCallRecorder(const GlCallRecorder&) = delete;
    GlCallRecorder& operator=(const GlCallRecorder&) = delete;

    void start();
    void stop();
    // Forgets the recorded calls and zeroes the counters.
    void clear();
    Mode mode() const { return mode_; }

    const std::vector<std::string>& calls() const { return calls_; }
    // The calls without their arguments.
    std::vector<std::string> names() const;
    // Calls of one entry point: recorded ones, or in counting mode the stub's counter.
    size_t count(const std::string& name) const;
    // Every call counted since start or clear (counting mode).
    uint64_t totalCount() const;
    // Whether the wrapped GL 1.1 entry points reach the recorder in this binary.
    static bool wrapsDirectEntryPoints();

    // Used by the hooks.
    static void record(std::string call);

private:
    std::vector<std::string> calls_;
    Mode mode_;
};

namespace glcall_detail {
template <class T> void appendArg(std::string& out, T value) {
    if (out.back() != '(')
        out += ", ";
    if constexpr (std::is_null_pointer_v<T>) {
        out += "0";
    } else if constexpr (std::is_pointer_v<T>) {
        // Buffer offsets travel as pointers; real addresses are not reproducible.
        auto bits = reinterpret_cast<std::uintptr_t>(value);
        out += bits < 65536 ? std::to_string(bits) : std::string("ptr");
    } else if constexpr (std::is_floating_point_v<T>) {
        char text[32];
        std::snprintf(text, sizeof text, "%g", double(value));
        out += text;
    } else {
        out += std::to_string(static_cast<long long>(value));
    }
}
} // namespace glcall_detail

// The text a recorder holds for a call with these arguments: glCall("glEnable", GL_BLEND).
template <class... Args> std::string glCall(const char* name, Args... args) {
    std::string out = std::string(name) + "(";
    (glcall_detail::appendArg(out, args), ...);
    return out + ")";
}
