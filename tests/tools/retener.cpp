// Holds a file as another program would while the tests need it: on Windows opened with
// no sharing, elsewhere under a POSIX record lock.
//   vestran-retener ARCHIVO LISTO SUELTA
// Writes "y" (held) or "n" (could not) to LISTO, then waits until SUELTA exists.
// With LISTO "-" it only tries: exit code 0 when it could hold the file, 1 otherwise.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

int main(int argc, char** argv) {
#ifdef _WIN32
  (void)argv;
  int count = 0;
  wchar_t** args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (count != 4) return 2;
  const fs::path file(args[1]), ready(args[2]), release(args[3]);
  HANDLE h = ::CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  const bool held = h != INVALID_HANDLE_VALUE;
#else
  if (argc != 4) return 2;
  const fs::path file(argv[1]), ready(argv[2]), release(argv[3]);
  const int fd = ::open(file.c_str(), O_RDWR);
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  const bool held = fd >= 0 && ::fcntl(fd, F_SETLK, &lock) == 0;
#endif
  (void)argc;
  if (ready == "-") return held ? 0 : 1;
  // Written whole under another name first, so that the tests never read it half made.
  fs::path partial = ready;
  partial += ".part";
  std::ofstream(partial, std::ios::binary) << (held ? "y" : "n");
  fs::rename(partial, ready);
  while (!fs::exists(release)) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return 0;
}
