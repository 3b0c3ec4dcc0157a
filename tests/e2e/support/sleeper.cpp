// Waits for the number of seconds given as its argument (default 60), then exits 0.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
  Sleep(static_cast<DWORD>(argc > 1 ? std::atoi(argv[1]) : 60) * 1000u);
  return 0;
}
