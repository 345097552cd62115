// A private Xvfb per test, and Xlib/XTest calls that play the user.
#include "tests/e2e/VirtualDisplay.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Xlib's default handler ends the test process, leaving the server and the program behind; a
// failed request shows in the test's checks instead.
int IgnoreXError(Display* /*display*/, XErrorEvent* /*error*/) { return 0; }

// The children go down with the test process, however it ends.
void DieWithParent() { prctl(PR_SET_PDEATHSIG, SIGKILL); }

// In the sanitizer build: the GL driver unloads itself while the program exits, before the leak
// check runs, and its lifetime caches then show as leaks of an unknown module that no suppression
// can name. The program's own code is leak-checked by the unit suites, which keep the driver
// loaded; here only the exit status matters.
void KeepLeakCheckOffTheDriver() {
  const char* options = std::getenv("ASAN_OPTIONS");
  std::string combined = options != nullptr ? std::string(options) + ":" : std::string();
  setenv("ASAN_OPTIONS", (combined + "detect_leaks=0").c_str(), 1);
}

void Pause(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

// Xvfb writes the display number it picked to the descriptor, followed by a newline.
std::string ReadDisplayNumber(int fd) {
  std::string number;
  char c = 0;
  while (read(fd, &c, 1) == 1 && c != '\n') number += c;
  return number;
}

pid_t StartServer(int writeEnd, int readEnd) {
  const pid_t pid = fork();
  if (pid == 0) {
    DieWithParent();
    close(readEnd);
    const std::string fd = std::to_string(writeEnd);
    const int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDERR_FILENO);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
           static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

void StopProcess(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

}  // namespace

VirtualDisplay::VirtualDisplay() {
  int pipeEnds[2] = {-1, -1};
  if (pipe(pipeEnds) != 0) return;
  server = StartServer(pipeEnds[1], pipeEnds[0]);
  close(pipeEnds[1]);
  const std::string number = ReadDisplayNumber(pipeEnds[0]);
  close(pipeEnds[0]);
  if (number.empty()) return;
  name = ":" + number;
  XSetErrorHandler(IgnoreXError);
  display = XOpenDisplay(name.c_str());
}

VirtualDisplay::~VirtualDisplay() {
  if (display != nullptr) XCloseDisplay(display);
  StopProcess(server);
}

Window VirtualDisplay::WaitForWindow(const std::string& title, double timeoutSeconds) {
  const auto deadline = Clock::now() + std::chrono::duration<double>(timeoutSeconds);
  while (Clock::now() < deadline) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) != 0) {
      Window found = 0;
      for (unsigned i = 0; i < count && found == 0; ++i) {
        XWindowAttributes attributes;
        if (Title(children[i]) == title && XGetWindowAttributes(display, children[i], &attributes) != 0 &&
            attributes.map_state == IsViewable) {
          found = children[i];
        }
      }
      if (children != nullptr) XFree(children);
      if (found != 0) return found;
    }
    Pause(100);
  }
  return 0;
}

std::string VirtualDisplay::Title(Window window) {
  char* text = nullptr;
  if (XFetchName(display, window, &text) == 0 || text == nullptr) return "";
  std::string title(text);
  XFree(text);
  return title;
}

bool VirtualDisplay::Size(Window window, int& width, int& height) {
  XWindowAttributes attributes;
  if (XGetWindowAttributes(display, window, &attributes) == 0) return false;
  width = attributes.width;
  height = attributes.height;
  return true;
}

// Reads the window's visible part from the root window: a window reaching past the screen edge
// (the toolkit places it at -1, -1) cannot be read directly.
Screenshot VirtualDisplay::Capture(Window window) {
  Screenshot shot;
  int width = 0, height = 0, left = 0, top = 0;
  Window child = 0;
  const Window root = DefaultRootWindow(display);
  if (!Size(window, width, height) || XTranslateCoordinates(display, window, root, 0, 0, &left, &top, &child) == 0) {
    return shot;
  }
  const int screenWidth = DisplayWidth(display, DefaultScreen(display));
  const int screenHeight = DisplayHeight(display, DefaultScreen(display));
  const int x0 = std::max(left, 0);
  const int y0 = std::max(top, 0);
  shot.width = std::min(left + width, screenWidth) - x0;
  shot.height = std::min(top + height, screenHeight) - y0;
  if (shot.width <= 0 || shot.height <= 0) return {};
  shot.originX = x0 - left;
  shot.originY = y0 - top;
  XImage* image = XGetImage(display, root, x0, y0, static_cast<unsigned>(shot.width),
                            static_cast<unsigned>(shot.height), AllPlanes, ZPixmap);
  if (image == nullptr) return {};
  shot.rgb.reserve(static_cast<std::size_t>(shot.width) * shot.height * 3);
  for (int y = 0; y < shot.height; ++y) {
    for (int x = 0; x < shot.width; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      shot.rgb.push_back(static_cast<unsigned char>((pixel & image->red_mask) >> 16));
      shot.rgb.push_back(static_cast<unsigned char>((pixel & image->green_mask) >> 8));
      shot.rgb.push_back(static_cast<unsigned char>(pixel & image->blue_mask));
    }
  }
  XDestroyImage(image);
  return shot;
}

void VirtualDisplay::PressKey(Window window, const std::string& keysymName, bool shifted) {
  XSetInputFocus(display, window, RevertToPointerRoot, CurrentTime);
  const KeyCode shift = XKeysymToKeycode(display, XK_Shift_L);
  const KeyCode code = XKeysymToKeycode(display, XStringToKeysym(keysymName.c_str()));
  if (shifted) XTestFakeKeyEvent(display, shift, True, CurrentTime);
  XTestFakeKeyEvent(display, code, True, CurrentTime);
  XTestFakeKeyEvent(display, code, False, CurrentTime);
  if (shifted) XTestFakeKeyEvent(display, shift, False, CurrentTime);
  XSync(display, False);
}

void VirtualDisplay::PressControlKey(Window window, const std::string& keysymName) {
  XSetInputFocus(display, window, RevertToPointerRoot, CurrentTime);
  const KeyCode control = XKeysymToKeycode(display, XK_Control_L);
  const KeyCode code = XKeysymToKeycode(display, XStringToKeysym(keysymName.c_str()));
  XTestFakeKeyEvent(display, control, True, CurrentTime);
  XTestFakeKeyEvent(display, code, True, CurrentTime);
  XTestFakeKeyEvent(display, code, False, CurrentTime);
  XTestFakeKeyEvent(display, control, False, CurrentTime);
  XSync(display, False);
}

void VirtualDisplay::MovePointer(Window window, int x, int y) {
  XWarpPointer(display, None, window, 0, 0, 0, 0, x, y);
  XSync(display, False);
  Pause(20);
}

void VirtualDisplay::Drag(Window window, int button, int fromX, int fromY, int toX, int toY) {
  MovePointer(window, fromX, fromY);
  XTestFakeButtonEvent(display, static_cast<unsigned>(button), True, CurrentTime);
  XSync(display, False);
  constexpr int kSteps = 10;
  for (int step = 1; step <= kSteps; ++step) {
    MovePointer(window, fromX + (toX - fromX) * step / kSteps, fromY + (toY - fromY) * step / kSteps);
  }
  XTestFakeButtonEvent(display, static_cast<unsigned>(button), False, CurrentTime);
  XSync(display, False);
}

void VirtualDisplay::Click(Window window, int button, int x, int y) {
  MovePointer(window, x, y);
  XTestFakeButtonEvent(display, static_cast<unsigned>(button), True, CurrentTime);
  XTestFakeButtonEvent(display, static_cast<unsigned>(button), False, CurrentTime);
  XSync(display, False);
}

void VirtualDisplay::TurnWheel(Window window, bool up) {
  int width = 0, height = 0;
  if (!Size(window, width, height)) return;
  MovePointer(window, width / 2, height / 2);
  // X reports the wheel as buttons 4 (up) and 5 (down), each notch a press and a release.
  const unsigned button = up ? 4 : 5;
  XTestFakeButtonEvent(display, button, True, CurrentTime);
  XTestFakeButtonEvent(display, button, False, CurrentTime);
  XSync(display, False);
}

ProgramProcess::ProgramProcess(const std::string& path, const std::string& workingFolder,
                               const std::string& displayName, const std::vector<std::string>& arguments,
                               const std::string& outputFile, const std::string& errorFile) {
  std::vector<char*> argv{const_cast<char*>(path.c_str())};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid = fork();
  if (pid == 0) {
    DieWithParent();
    if (chdir(workingFolder.c_str()) != 0) _exit(126);
    setenv("DISPLAY", displayName.c_str(), 1);
    KeepLeakCheckOffTheDriver();
    // The program's loading progress would only bury the test's own report.
    const int output = outputFile.empty() ? open("/dev/null", O_WRONLY)
                                          : open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(output, STDOUT_FILENO);
    if (!errorFile.empty()) dup2(open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
    execv(path.c_str(), argv.data());
    _exit(127);
  }
}

ProgramProcess::~ProgramProcess() { StopProcess(pid); }

void ProgramProcess::Signal(int signal) {
  if (pid > 0) kill(pid, signal);
}

bool ProgramProcess::WaitForExit(double timeoutSeconds, int& exitCode) {
  const auto deadline = Clock::now() + std::chrono::duration<double>(timeoutSeconds);
  while (Clock::now() < deadline) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
      pid = -1;
      exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      return true;
    }
    Pause(50);
  }
  return false;
}
