#include "shell/Application.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <malloc.h>

#include <cstdio>
#include <cstdlib>

#include "assets/HeightmapReader.h"
#include "game/Game.h"
#include "platform/Console.h"
#include "platform/Records.h"
#include "platform/Sound.h"
#include "platform/Window.h"
#include "render/ParticleSystem.h"
#include "shell/Globals.h"
#include "shell/Input.h"
#include "shell/Movement.h"

namespace {

// The pad's Back, read in the frame, acted on where Escape is.
bool quitRequested = false;

void keyCallback(GLFWwindow*, int key, int /*scancode*/, int action, int /*mods*/) {
    // A held key acts once: a repeat would flip a switch back and forth. Keys GLFW cannot name
    // have no code worth recording.
    if (action == GLFW_REPEAT || key == GLFW_KEY_UNKNOWN) return;
    onKey(key, action);
}

void mouseButtonCallback(GLFWwindow*, int button, int action, int /*mods*/) {
    onMouseButton(button, action);
}

void focusCallback(GLFWwindow*, int focused) { onFocus(focused == GLFW_TRUE); }

void framebufferSizeCallback(GLFWwindow*, int width, int height) { onWindowSize(width, height); }

GLFWwindow* openWindow(bool fullscreen, int& openedWidth, int& openedHeight) {
    // Mesa only hands out a 3.3 core context when asked before the window exists.
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
    glfwWindowHint(GLFW_ALPHA_BITS, 8);
    glfwWindowHint(GLFW_DEPTH_BITS, 24);
    glfwWindowHint(GLFW_STENCIL_BITS, 8);

    if (fullscreen) {
        GLFWmonitor* monitor = glfwGetPrimaryMonitor();
        const GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
        if (!mode) return nullptr;
        glfwWindowHint(GLFW_RED_BITS, mode->redBits);
        glfwWindowHint(GLFW_GREEN_BITS, mode->greenBits);
        glfwWindowHint(GLFW_BLUE_BITS, mode->blueBits);
        glfwWindowHint(GLFW_REFRESH_RATE, mode->refreshRate);
        openedWidth = mode->width;
        openedHeight = mode->height;
        return glfwCreateWindow(openedWidth, openedHeight, "Quillora", monitor, nullptr);
    }
    glfwWindowHint(GLFW_RED_BITS, 8);
    glfwWindowHint(GLFW_GREEN_BITS, 8);
    glfwWindowHint(GLFW_BLUE_BITS, 8);
    openedWidth = windowWidth;
    openedHeight = windowHeight;
    return glfwCreateWindow(openedWidth, openedHeight, "Quillora", nullptr, nullptr);
}

// GLEW's pointers for these four are replaced by the addresses GLFW resolves.
template <typename Function>
void refetch(Function& pointer, const char* name) {
    if (GLFWglproc address = glfwGetProcAddress(name))
        pointer = reinterpret_cast<Function>(address);
}

}  // namespace

void init(const StartOptions& options, Settings settings) {
    // The log is read live by whoever watches it, also through a pipe.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    if (!glfwInit()) fatalError("Failed to initialize GLFW\n");
    useRawMouseMotion = options.rawMouseMotion;
    if (options.screen != ScreenChoice::Ask)
        settings.fullscreen = options.screen == ScreenChoice::Fullscreen ? FullscreenSetting::Yes
                                                                         : FullscreenSetting::No;
    settings.vsync = settings.vsync || options.vsync;
    const bool fullscreen = settings.fullscreen == FullscreenSetting::Ask
                                ? askYesNo("Would you like to run in fullscreen?", "Fullscreen")
                                : settings.fullscreen == FullscreenSetting::Yes;
    openGame(fullscreen, settings);
    game->recordsPath = recordsPath();
}

void openGame(bool fullscreen, const Settings& settings) {
    // Large blocks (textures in a software renderer) straight from the system and back to it
    // when freed: left to the allocator's own threshold, which rises with every large block
    // freed, they would pile up in the heap and never be given back.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
    int openedWidth = 0, openedHeight = 0;
    mainWindow = openWindow(fullscreen, openedWidth, openedHeight);
    if (!mainWindow) {
        std::fprintf(stderr, "Failed to open GLFW window.\n");
        glfwTerminate();
        consolePause();
        std::exit(-1);
    }
    glfwMakeContextCurrent(mainWindow);
    // Unasked, frames come as fast as they can; a driver's own default stays as it is.
    if (settings.vsync) glfwSwapInterval(1);
    pointerSpeed = settings.pointerSpeed;
    invertVerticalLook = settings.invertVerticalLook;

    glewExperimental = GL_TRUE;
    GLenum glewStatus = glewInit();
    if (glewStatus != GLEW_OK)
        fatalError("Failed to initialize glew: %s\n",
                   reinterpret_cast<const char*>(glewGetErrorString(glewStatus)));
    // glewInit asks a core context for extensions the old way; that error is not ours.
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
    if (!glewIsSupported("GL_VERSION_3_3")) fatalError("OPENGL Version 3.3 is not supported!\n");

    refetch(glGenVertexArrays, "glGenVertexArrays");
    refetch(glBindVertexArray, "glBindVertexArray");
    refetch(glDeleteVertexArrays, "glDeleteVertexArrays");
    refetch(glGenerateMipmap, "glGenerateMipmap");

    installFreeImageMessageHandler();

    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);

    std::printf("Loading sound engine.\n");
    soundEngine = audio::SoundEngine::create();
    if (!soundEngine) fatalError("Could not startup sound engine\n");

    soundEngine->setEffectsVolume(static_cast<float>(settings.effectsVolume) / 100.0f);
    game = new Game(soundEngine);
    game->setMusicVolume(static_cast<float>(settings.musicVolume) / 100.0f);

    glfwSetKeyCallback(mainWindow, keyCallback);
    // A tap shorter than one frame would otherwise be gone by the time Escape is polled.
    glfwSetInputMode(mainWindow, GLFW_STICKY_KEYS, GLFW_TRUE);
    glfwSetMouseButtonCallback(mainWindow, mouseButtonCallback);
    glfwSetFramebufferSizeCallback(mainWindow, framebufferSizeCallback);
    glfwSetWindowFocusCallback(mainWindow, focusCallback);
    // GLFW reports sizes only when they change; the game needs the first one now.
    int framebufferWidth = 0, framebufferHeight = 0;
    glfwGetFramebufferSize(mainWindow, &framebufferWidth, &framebufferHeight);
    onWindowSize(framebufferWidth, framebufferHeight);

    // The GL clamps 30 to 1: a white clear.
    glClearColor(30.0f, 30.0f, 30.0f, 0.0f);

    if (!fullscreen) glfwSetWindowPos(mainWindow, 200, 100);
    setCursorPos(openedWidth / 2, openedHeight / 2);
}

void advanceFrame(double delta) {
    quitRequested = onGamepad(readGamepad()) || quitRequested;
    handleMovement(static_cast<float>(delta));
    uploadCameraMatrices(projectionMatrix, viewMatrix);
    game->cameraPosition = playerPosition;
    for (auto& particles : game->particleSystems) particles->cameraPosition = playerPosition;

    game->update(delta);
    game->renderFrame();
}

void runFrameLoop() {
    double previousTime = 0.0;
    for (;;) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        double now = glfwGetTime();
        double delta = now - previousTime;
        previousTime = now;

        advanceFrame(delta);

        glfwSwapBuffers(mainWindow);
        glfwPollEvents();

        GLenum error = glGetError();
        if (error != GL_NO_ERROR)
            std::printf("OpenGL error in %s:%d: 0x%x\n", __FILE__, __LINE__, error);

        if (glfwGetKey(mainWindow, GLFW_KEY_ESCAPE) == GLFW_PRESS || quitRequested) break;
        if (glfwWindowShouldClose(mainWindow)) break;
    }
}

void shutdown() {
    // The Game's teardown stops the sounds and drops the engine the global shares with it.
    delete game;
    game = nullptr;
    soundEngine = nullptr;
    glfwTerminate();
    mainWindow = nullptr;
}
