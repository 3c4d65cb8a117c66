#include "app/ApplicationSDL.h"

#include "app/KeyCodes.h"
#include "app/capture/ScreenCapture.h"
#include "core/Diagnostics.h"
#include "core/LoadPhases.h"
#include "core/SanitizerSupport.h"

#include "render/Gl.h"
#include <SDL.h>
#include <cstdio>
#include <pthread.h>
#include <sched.h>

void pinApplicationThread() {
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(0, &set);
    pthread_setaffinity_np(pthread_self(), sizeof set, &set);
    // Not SDL's time-critical level: on Linux that is real-time scheduling, and a render loop that
    // never sleeps at real-time priority starves the display server and the GL driver's threads
    // (frames went from 3 ms to 180 ms under Xvfb). High priority is an ordinary nice level.
    SDL_SetThreadPriority(SDL_THREAD_PRIORITY_HIGH);
}

ApplicationSDL::ApplicationSDL() = default;

ApplicationSDL::~ApplicationSDL() {
    destroyContext();
    destroyWindow();
    if (videoInitialized_)
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool ApplicationSDL::run() {
    const Uint64 started = SDL_GetPerformanceCounter();
    LoadPhases::global().start(LoadPhases::Clock::now());
    if (!setup())
        return false;
    if (!initialize())
        return false;
    const Uint64 loaded = SDL_GetPerformanceCounter();
    Uint64 firstFrame = 0;
    while (pumpMessages()) {
        if (frameCount_ == 0) {
            LoadPhaseScope phase(LoadPhases::FirstFrame);
            frame();
        } else {
            frame();
        }
        if (++frameCount_ == 1) {
            firstFrame = SDL_GetPerformanceCounter();
            LoadPhases::global().finish();
        }
        // A frame limit ends the loop like a closed window, but exactly after the N-th frame.
        if (options.frames > 0 && frameCount_ >= options.frames)
            break;
    }
    if (options.stats) {
        const double frequency = static_cast<double>(SDL_GetPerformanceFrequency());
        const double playing = static_cast<double>(SDL_GetPerformanceCounter() - loaded) / frequency;
        std::fprintf(stderr,
                     "stats: first frame after %.0f ms (loading %.0f ms), %ld frames in %.2f s, %.1f fps\n",
                     frameCount_ ? static_cast<double>(firstFrame - started) * 1000.0 / frequency : 0.0,
                     static_cast<double>(loaded - started) * 1000.0 / frequency, frameCount_, playing,
                     playing > 0 ? static_cast<double>(frameCount_) / playing : 0.0);
        if (frameCount_)
            LoadPhases::global().print(stderr);
    }
    shutdown();
    destroyContext();
    destroyWindow();
    return true;
}

bool ApplicationSDL::initialize() {
    LoadPhases::global().begin(LoadPhases::Window);
    const bool ready = createWindowAndContext();
    LoadPhases::global().end();
    if (!ready)
        return false;
    if (load())
        return true;
    showMessage("Failed to load demo");
    unload();
    destroyContext();
    destroyWindow();
    return false;
}

bool ApplicationSDL::createWindowAndContext() {
    keepGlDriverMapped();
    if (!videoInitialized_) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            diagnostic("video", "SDL_InitSubSystem", "%s", SDL_GetError());
            return false;
        }
        videoInitialized_ = true;
    }
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.h > 0)
        settings.screenAspect = static_cast<float>(desktop.w) / static_cast<float>(desktop.h);

    if (!createWindow())
        return false;

    glewExperimental = GL_TRUE;
    GLenum glew = glewInit();
    // Without GLX (SDL's EGL-based drivers) glewInit reports the missing GLX display after it has
    // already loaded the GL entry points; only the GLX part is missing, which we do not use.
    if (glew == GLEW_ERROR_NO_GLX_DISPLAY && glGenBuffers != nullptr)
        glew = GLEW_OK;
    if (glew != GLEW_OK) {
        diagnostic("GL", "glewInit", "%s", reinterpret_cast<const char*>(glewGetErrorString(glew)));
        showMessage("Unable to initiate GLEW");
        return false;
    }
    gl::clearErrors(); // glewInit may leave GL_INVALID_ENUM behind on core contexts
    if (!checkContextVersion(settings.contextVersion)) {
        diagnostic("GL", "version", "the context reports %s",
                   reinterpret_cast<const char*>(glGetString(GL_VERSION)));
        showMessage("Unable to initiate OpenGL 3.3");
        return false;
    }

    if (settings.samples > 1)
        glEnable(GL_MULTISAMPLE);
    if (settings.srgb)
        glEnable(GL_FRAMEBUFFER_SRGB);
    setSwapInterval(settings.vsync ? 1 : 0);
    SDL_DisplayMode current;
    const int display = SDL_GetWindowDisplayIndex(window_);
    if (display >= 0 && SDL_GetCurrentDisplayMode(display, &current) == 0 && current.refresh_rate > 0)
        refreshPeriod_ = 1.0 / current.refresh_rate;

    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);
    glHint(GL_TEXTURE_COMPRESSION_HINT, GL_NICEST);
    glHint(GL_FRAGMENT_SHADER_DERIVATIVE_HINT, GL_NICEST);

    keyState_.reset(new uint8_t[256]());
    gl::clearErrors();

    // On Linux new threads inherit the creating thread's processor affinity, so the pin waits
    // until the GL driver's worker threads exist; otherwise they would all share processor 0.
    pinApplicationThread();
    return true;
}

void ApplicationSDL::shutdown() {
    unload();
    keyState_.reset();
}

bool ApplicationSDL::pumpMessages() {
    SDL_Event event;
    if (!SDL_PollEvent(&event))
        return true;
    if (event.type == SDL_QUIT)
        return false;
    dispatchEvent(event);
    return true;
}

void ApplicationSDL::swapBuffers() {
    if (!window_ || !context_)
        return;
    if (frameCount_ == options.captureFrame && !options.capturePath.empty()) {
        int w = 0, h = 0;
        SDL_GL_GetDrawableSize(window_, &w, &h);
        if (!saveBackBuffer(options.capturePath, w, h))
            diagnostic(options.capturePath.c_str(), "capture", "the picture cannot be written");
        options.captureFrame = -1; // once: the loading screen presents through here too
    }
    SDL_GL_SwapWindow(window_);
}

void ApplicationSDL::setSwapInterval(int interval) {
    SDL_GL_SetSwapInterval(interval);
}

void ApplicationSDL::requestQuit() {
    if (!window_)
        return;
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
}

void ApplicationSDL::showMessage(const char* text) {
    std::fprintf(stderr, "Drevanth: %s\n", text);
    if (!options.noMessageBox)
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, "Drevanth", text, window_);
}

void ApplicationSDL::dispatchEvent(const SDL_Event& event) {
    // The flags argument carries the low byte of the repeat count, always 1 for one key event.
    constexpr int repeatCount = 1;
    switch (event.type) {
    case SDL_KEYDOWN:
        onKeyDown(translateKey(event.key.keysym.sym, event.key.keysym.mod), repeatCount);
        break;
    case SDL_KEYUP:
        onKeyUp(translateKey(event.key.keysym.sym, event.key.keysym.mod), repeatCount);
        break;
    case SDL_MOUSEMOTION:
        onMouseMove(event.motion.x, event.motion.y);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        int button = event.button.button == SDL_BUTTON_LEFT     ? mouse::Left
                     : event.button.button == SDL_BUTTON_RIGHT  ? mouse::Right
                     : event.button.button == SDL_BUTTON_MIDDLE ? mouse::Middle
                                                                : 0;
        if (!button)
            break;
        if (event.type == SDL_MOUSEBUTTONDOWN)
            onMouseDown(event.button.x, event.button.y, button);
        else
            onMouseUp(event.button.x, event.button.y, button);
        break;
    }
    case SDL_MOUSEWHEEL: {
        int y = event.wheel.y;
        if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
            y = -y;
        if (y == 0)
            break;
        int mx = 0, my = 0;
        SDL_GetMouseState(&mx, &my);
        onMouseDown(mx, my, y > 0 ? mouse::WheelUp : mouse::WheelDown);
        break;
    }
    case SDL_WINDOWEVENT:
        switch (event.window.event) {
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            onResize(event.window.data1, event.window.data2);
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            onFocusGained();
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            onFocusLost();
            break;
        case SDL_WINDOWEVENT_CLOSE:
            requestQuit();
            break;
        default:
            break;
        }
        break;
    default:
        break;
    }
}
