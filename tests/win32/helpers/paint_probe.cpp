// Drives the backend's ScreenSurface from the command line, for tests that
// read the screen back from outside:
//   lumio-paint-probe paint X Y TEXT   72-pixel bold green text, as announced
//   lumio-paint-probe erase            the repaint that takes it away
//   lumio-paint-probe hide-icons | show-icons
// Prints what it did and exits; 1 for a command it does not know.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win32/desktop_icons_win32.h"
#include "platform/win32/screen_surface_win32.h"

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  lumio::win32::Win32ScreenSurface screen;
  if (command == "paint" && argc > 4) {
    lumio::FontRequest font;  // what the announcement asks for
    font.height = 72;
    font.weight = 700;
    font.faceName = "MS Sans Serif";
    screen.drawText(font, std::atoi(argv[2]), std::atoi(argv[3]), lumio::kGreen, argv[4]);
    std::printf("painted\n");
  } else if (command == "erase") {
    screen.repaintAll();
    std::printf("erased\n");
  } else if (command == "hide-icons" || command == "show-icons") {
    lumio::win32::Win32DesktopIcons icons;
    icons.setVisible(command == "show-icons");
    std::printf("%s\n", command.c_str());
  } else {
    std::fprintf(stderr, "usage: lumio-paint-probe paint X Y TEXT | erase | hide-icons | show-icons\n");
    return 1;
  }
  std::fflush(stdout);
  return 0;
}
