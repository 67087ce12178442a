/* Force-included into raylib's web build. The browser's GLFW (version 3.2)
 * lacks two calls raylib makes only when the window's resizable or high-DPI
 * flags change, which the game never does: stand-ins that do nothing. */
#ifndef TORVANE_GLFW_STAND_INS_H
#define TORVANE_GLFW_STAND_INS_H

#include <GLFW/glfw3.h>

#if GLFW_VERSION_MAJOR == 3 && GLFW_VERSION_MINOR < 3
typedef void (*GLFWwindowcontentscalefun)(GLFWwindow *window, float xscale, float yscale);

static inline void glfwSetWindowAttrib(GLFWwindow *window, int attrib, int value)
{
    (void)window;
    (void)attrib;
    (void)value;
}

static inline GLFWwindowcontentscalefun glfwSetWindowContentScaleCallback(GLFWwindow *window,
                                                                          GLFWwindowcontentscalefun callback)
{
    (void)window;
    (void)callback;
    return 0;
}
#endif

#endif
