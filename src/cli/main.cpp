// vestran-cli: the jobs without windows, for automation and for users without a desktop.

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/command_line.hpp"
#include "cli/commands.hpp"
#include "mensajes/Fallos.hpp"
#include "modos/Entorno.hpp"
#include "store/os/paths.hpp"
#include "vestran/version.hpp"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace {

std::vector<std::string> argumentsAsUtf8(int argc, char** argv) {
#ifdef _WIN32
  // UTF-8 on the console, and the same bytes as elsewhere in a file or a pipe: no line
  // ending is turned into CRLF, not even one inside a CSV field.
  ::SetConsoleOutputCP(CP_UTF8);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#endif
  return vestran::argumentosDelPrograma(argc, argv);
}

// Runs the command the arguments name.
vestran::cli::ExitCode correr(int argc, char** argv) {
  using namespace vestran::cli;
  try {
    const CommandLine line = parseCommandLine(argumentsAsUtf8(argc, argv));
    if (line.command == "ayuda") {
      std::cout << usage();
      return ExitCode::completed;
    }
    if (line.command == "version") {
      std::cout << "vestran-cli " << vestran::kVersion << '\n';
      return ExitCode::completed;
    }
    if (line.command == "exportar") return exportar(line);
    if (line.command == "importar") return importar(line);
    if (line.command == "marcos") return marcos(line);
    if (line.command == "restaurar") return restaurar(line);
    return tabla(line);
  } catch (const UsageError& e) {
    std::cerr << e.what() << '\n';
    return ExitCode::usage;
  } catch (...) {
    const vestran::MensajeDeFallo m = vestran::mensajeDelFallo();
    std::cerr << m.texto << '\n';
    if (!m.detalleTecnico.empty()) std::cerr << "Detalle: " << m.detalleTecnico << '\n';
    return ExitCode::failed;
  }
}

}  // namespace

int main(int argc, char** argv) {
  // An output buffer of the program's own (stderr has none): the first line printed after
  // a large document is let go need not wait for the allocator to tidy up what it left.
  static char salida[1 << 14];
  std::setvbuf(stdout, salida, _IOFBF, sizeof salida);
  return static_cast<int>(correr(argc, argv));
}
