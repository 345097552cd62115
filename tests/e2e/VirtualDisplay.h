// End-to-end helper: a private X server for one test, so the program's window is alone on its
// screen, with a client connection for finding windows, sending input and taking screenshots.
#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <string>
#include <vector>

struct Screenshot {
  int width = 0;
  int height = 0;
  // Window coordinates of the first pixel: the parts of a window off the screen are not taken.
  int originX = 0;
  int originY = 0;
  std::vector<unsigned char> rgb;  // rows top down
};

class VirtualDisplay {
 public:
  VirtualDisplay();
  ~VirtualDisplay();
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;

  bool IsOpen() const { return display != nullptr; }
  // The value of DISPLAY that reaches this server.
  const std::string& Name() const { return name; }

  // Polls the window tree until a top-level window with exactly this title is mapped, or gives up
  // after timeoutSeconds; 0 when none shows up.
  Window WaitForWindow(const std::string& title, double timeoutSeconds);
  std::string Title(Window window);
  bool Size(Window window, int& width, int& height);
  Screenshot Capture(Window window);

  // The key of the named keysym, with Shift held when shifted.
  void PressKey(Window window, const std::string& keysymName, bool shifted = false);
  // The key of the named keysym with Control held (Ctrl+S, Ctrl+Z).
  void PressControlKey(Window window, const std::string& keysymName);
  // Presses button 1 (left) or 3 (right) at from, moves to to in steps, releases there.
  void Drag(Window window, int button, int fromX, int fromY, int toX, int toY);
  // Presses and releases button 1 (left) or 3 (right) at one spot, without moving in between.
  void Click(Window window, int button, int x, int y);
  // One notch of the mouse wheel with the pointer over the window's middle: away from the user
  // (up) or towards them.
  void TurnWheel(Window window, bool up);

 private:
  void MovePointer(Window window, int x, int y);

  pid_t server = -1;
  std::string name;
  Display* display = nullptr;
};

// Starts the program with DISPLAY set, in the given working folder; stops it if still running.
// Its standard output goes to outputFile, or nowhere when that is empty; its standard error to
// errorFile, or to the test's own when that is empty.
class ProgramProcess {
 public:
  ProgramProcess(const std::string& path, const std::string& workingFolder, const std::string& displayName,
                 const std::vector<std::string>& arguments = {}, const std::string& outputFile = {},
                 const std::string& errorFile = {});
  ~ProgramProcess();
  ProgramProcess(const ProgramProcess&) = delete;
  ProgramProcess& operator=(const ProgramProcess&) = delete;

  // Waits up to timeoutSeconds for the process to end. true with its exit code, or -1 for a signal.
  bool WaitForExit(double timeoutSeconds, int& exitCode);
  // As a user's Ctrl-C (SIGINT) or a stopping system (SIGTERM) would.
  void Signal(int signal);

 private:
  pid_t pid = -1;
};
