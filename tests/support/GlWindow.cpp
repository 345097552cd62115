// Test helper: one small GLUT window per test binary, so GL code runs against a real context.
#include "tests/support/GlWindow.h"

#include <GL/freeglut.h>
#include <dlfcn.h>
#include <link.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr int kSide = 256;
int windowId = 0;

// The toolkit ends the process when it cannot open a display; without one named, say so instead.
bool DisplayNamed() {
  const char* display = std::getenv("DISPLAY");
  return display != nullptr && display[0] != '\0';
}

void DrawNothing() {}

int PinIfDriver(dl_phdr_info* info, std::size_t /*size*/, void* /*data*/) {
  if (info->dlpi_name != nullptr && std::strstr(info->dlpi_name, "/dri/") != nullptr) {
    dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
  }
  return 0;
}

// Mesa unloads its driver at exit, before the leak checker looks; the driver's lifetime caches
// then show as leaks from an unknown module that no suppression can name. Pinned, they keep
// their module name and tests/lsan.supp covers them.
void PinGlDrivers() { dl_iterate_phdr(PinIfDriver, nullptr); }

}  // namespace

bool GlWindow::EnsureCurrent() {
  if (windowId != 0) {
    glutSetWindow(windowId);
    return true;
  }
  if (!DisplayNamed()) {
    return false;
  }
  static char programName[] = "battlesim-tests";
  static char* argv[] = {programName, nullptr};
  int argc = 1;
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
  glutInitWindowSize(kSide, kSide);
  windowId = glutCreateWindow("battlesim tests");
  // The toolkit refuses to show a window without a display callback.
  glutDisplayFunc(DrawNothing);
  glutMainLoopEvent();
  PinGlDrivers();
  return true;
}
