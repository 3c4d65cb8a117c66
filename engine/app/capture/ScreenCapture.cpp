#include "app/capture/ScreenCapture.h"

#include "render/Gl.h"
#include <png.h>
#include <vector>

bool saveBackBuffer(const std::string& path, int width, int height) {
    if (width <= 0 || height <= 0)
        return false;
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 3);
    GLint readBuffer = 0, readFramebuffer = 0;
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer));
    if (readFramebuffer == 0)
        glReadBuffer(static_cast<GLenum>(readBuffer));

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    // GL rows run bottom-up: a negative stride writes them top row first.
    const png_int_32 stride = -static_cast<png_int_32>(width * 3);
    return png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), stride, nullptr) != 0;
}
